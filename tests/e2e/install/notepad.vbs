' Run by Wine's own cscript.exe, not by Tevrin: a script host of the user's machine finds
' the wrappers through the installer's registration and drives Notepad with them.
' Prints "read back: <text>"; exit code 1 when the text is not what was typed.
Option Explicit
Dim notepad, editor, text, started

Set notepad = CreateObject("Wrappers.WNDWrapper")
notepad.appExecute "notepad.exe", "\.*Notepad"
Set editor = notepad.edit

' cscript has no WScript.Sleep: wait for the text by polling the clock.
editor.value = "Hello from cscript"
started = Timer
Do
    text = editor.value
    If text = "Hello from cscript" Or Abs(Timer - started) > 20 Then Exit Do
Loop

notepad.appRelease True
WScript.Echo "read back: " & text
If text <> "Hello from cscript" Then WScript.Quit 1
