' Drives the accessible test application as a tester's script would: accessible objects
' by role, name and state, a click, the rich edit's text object model and the served
' HTML document with the synchronizer. Arguments: the path of accapp.exe and of its
' click log.
Option Explicit
Dim app, list, editor, document, sync, blank
Set app = CreateObject("Wrappers.WNDWrapper")
app.appExecute """" & WScript.Arguments(0) & """ /log """ & WScript.Arguments(1) & """ /title ""Script Accessible"" /loading 15000", "Script Accessible"
' The served document reads "loading" for 15 seconds after the start.
Set document = app.mshtml()
WScript.Echo "before=" & document.readyState

WScript.Echo "cancel=" & app.accPushButton("Cancel").accName()
WScript.Echo "second=" & app.accPushButton(1).accName()
WScript.Echo "third=" & app.accPushButton(2).accName()
WScript.Echo "exists=" & app.accExists("OK", 43) & "," & app.accExists("Nope", 43)
Set list = app.accList("Items")
WScript.Echo "alpha=" & list.accIsChecked("Alpha") & " beta=" & list.accIsChecked("Beta")
WScript.Echo "invisible=" & app.accIsInvisible("Vertical")
app.accPushButton("Help").accClick

Set editor = app.richedit()
editor.tom.Range(0, 4).Text = "Script"
WScript.Echo "tom=" & Replace(editor.tom.Range(0, 1000).Text, vbCr, "")

Set sync = CreateObject("Wrappers.Synchronizer")
sync.synchronize
WScript.Echo "after=" & document.readyState

On Error Resume Next
Set blank = app.mshtml("Blank")
WScript.Echo "blank=" & Err.Description & "|" & Err.Source
Err.Clear
On Error Goto 0
app.appRelease True
WScript.Echo "done"
