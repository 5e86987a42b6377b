#language StepScript
' Tevrin's demo test: start Notepad, type into it, read the text back, close it.
' Every record below carries this file's path and the line that wrote it.
'   scripts/wine-run Tevrin.exe 'Z:\path\to\examples\demo.vbs'
Dim notepad, editor, text

Set notepad = CreateObject("Wrappers.WNDWrapper")
' A title that starts with a backslash is a regular expression for the whole title.
notepad.appExecute "notepad.exe", "\.*Notepad"
Env.LogInfo "Notepad started"

' The text area is Notepad's first control of class Edit.
Set editor = notepad.edit
editor.value = "Hello from Tevrin"
text = editor.value
If text = "Hello from Tevrin" Then
    Env.LogInfo "Notepad read back: " & text
Else
    Env.LogError "Notepad read back something else: " & text
End If

' End Notepad without the save question.
notepad.appRelease True
Env.LogInfo "Notepad closed"
