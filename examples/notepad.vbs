' A first Tevrin test script: start Notepad, type into it, read the text back, and
' close Notepad again.
'   cscript //nologo notepad.vbs
Option Explicit

Dim notepad, editor, text

Set notepad = CreateObject("Wrappers.WNDWrapper")
' Start the application and bind to its main window; "\" makes the title a regular
' expression that must match the whole title.
notepad.appExecute "notepad.exe", "\.*Notepad"

' The text area is Notepad's first control of class Edit.
Set editor = notepad.edit
editor.value = "Hello from Tevrin"
text = editor.value
WScript.Echo "Notepad read back: " & text

If text <> "Hello from Tevrin" Then
    WScript.Echo "Unexpected text in Notepad"
    notepad.appRelease True
    WScript.Quit 1
End If

' End Notepad without the save question.
notepad.appRelease True
WScript.Quit 0
