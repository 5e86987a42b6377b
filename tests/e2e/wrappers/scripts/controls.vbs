' Drives the controls application the way a tester's script does and prints what it
' sees, one name=value line per check. Argument: the path of controls.exe.
Option Explicit

Dim app, sync, dlg, found, runner, i, status, folder

Set app = CreateObject("Wrappers.WNDWrapper")
app.appExecute """" & WScript.Arguments(0) & """ /title ""Script Controls""", "Script Controls"
WScript.Echo "title=" & app.value
WScript.Echo "button1=" & app.button(1).value

On Error Resume Next
Set found = app.button(7)
WScript.Echo "missing=" & Err.Description & "|" & Err.Source
Err.Clear
Set found = app.label("\Na.*e")
WScript.Echo "regex=" & Err.Description
Err.Clear
Set found = app.button("\(")
WScript.Echo "badregex=" & Err.Number
Err.Clear
Set found = app.dlgItem(4242)
WScript.Echo "item=" & Err.Description
Err.Clear
On Error GoTo 0

WScript.Echo "exists=" & app.exists(5, "Button")
app.edit.value = "from vbscript"
WScript.Echo "edit=" & app.edit.value
app.button("Tri-state").check = True
WScript.Echo "check=" & app.button("Tri-state").check

' The modal dialog would block push: make this one push post its click.
Set sync = CreateObject("Wrappers.Synchronizer")
sync.async = True
app.button("Open modal").push
WScript.Echo "async=" & sync.async
Set dlg = app.waitForWindow("Modal Dialog", "#32770", 20)
WScript.Echo "modal=" & dlg.value
' The dialog can be there before its buttons: wait for the button as well.
dlg.waitForWindow("OK", "Button", 10).push
' Wine's script host has no WScript.Sleep: poll until the status comes or 10 s pass.
i = Timer
Do
    status = app.label(1).value
    If status = "modal closed" Then Exit Do
Loop While Timer - i < 10 And Timer >= i
WScript.Echo "status=" & status

Set found = app.waitForWindow("No Such Window", "", 0)
If found Is Nothing Then WScript.Echo "wait0=Nothing"

folder = Left(WScript.Arguments(0), InStrRev(WScript.Arguments(0), "\"))
Set runner = CreateObject("Wrappers.WNDWrapper")
WScript.Echo "exitcode=" & runner.appExecute("""" & folder & "exitcode.exe"" 5", "", "", True)

WScript.Echo "released=" & app.appRelease(True)
