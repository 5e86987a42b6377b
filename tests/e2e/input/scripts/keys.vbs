' Types into Notepad with keys, as a tester's script run by Tevrin does, and logs what
' it sees: the text typed, a chord that replaces it, and the errors of a bad sequence.
Option Explicit
Dim notepad, editor, text, tries

Function WaitForText(expected)
    tries = 0
    Do While editor.value <> expected And tries < 100
        Env.Sleep 100
        tries = tries + 1
    Loop
    WaitForText = editor.value
End Function

Set notepad = CreateObject("Wrappers.WNDWrapper")
notepad.appExecute "notepad.exe", "\.*Notepad"
Set editor = notepad.edit

notepad.keys "Hello{ENTER}World"
Env.LogInfo "typed=" & Replace(WaitForText("Hello" & vbCrLf & "World"), vbCrLf, "|")

notepad.keys "^a"
editor.keys "Replaced{TAB}+(text)"
Env.LogInfo "replaced=" & Replace(WaitForText("Replaced" & vbTab & "TEXT"), vbTab, "|")

On Error Resume Next
notepad.keys "{FOO}"
Env.LogInfo "unknown=" & Err.Description & "|" & Err.Source
Err.Clear
notepad.keys "{ENTER"
Env.LogInfo "unbalanced=" & Err.Description
Err.Clear
On Error GoTo 0

notepad.appRelease True
On Error Resume Next
notepad.keys "x"
Env.LogInfo "released=" & Err.Description
