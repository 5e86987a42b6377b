' Debugs a script in Tevrin's window through the wrappers, as a tester does by hand:
' File > Open, Debug > Toggle Breakpoint on the first line, Debug > Go stops there,
' Debug > Step Over runs one statement, Debug > Go runs to the end. Prints one
' name=value line per step; the script to open logs "before" on line 1 and "after" on
' line 2.
'   cscript debugtevrin.vbs <Tevrin.exe> <script to open>
Option Explicit
Dim tevrin, script, scriptName, sync, dlg, caption, results

script = WScript.Arguments(1)
scriptName = Mid(script, InStrRev(script, "\") + 1)

' Wine's script host has no WScript.Sleep: waits poll against Timer.
Function WaitForCaption(text, seconds)
    Dim start
    start = Timer
    Do
        caption = tevrin.value
        If InStr(caption, text) > 0 Then Exit Do
    Loop While Timer - start < seconds And Timer >= start
    WaitForCaption = InStr(caption, text) > 0
End Function

Function WaitForResults(text, seconds)
    Dim start
    start = Timer
    Do
        results = tevrin.wnd("Results", "TevrinControlBar").richedit.value
        If InStr(results, text) > 0 Then Exit Do
    Loop While Timer - start < seconds And Timer >= start
    WaitForResults = InStr(results, text) > 0
End Function

Sub DebugCommand(command)
    tevrin.menu.menu("\&Debug").select command
End Sub

Set tevrin = CreateObject("Wrappers.WNDWrapper")
tevrin.appExecute """" & WScript.Arguments(0) & """", "\Tevrin.*"
WScript.Echo "frame=" & tevrin.value

Set sync = CreateObject("Wrappers.Synchronizer")
sync.async = True
tevrin.menu.menu("\&File").select "\&Open.*"
Set dlg = tevrin.waitForWindow("\Open.*", "#32770", 30)
dlg.waitForWindow(0, "Edit", 10).value = script
dlg.button("\&?Open").push
WScript.Echo "opened=" & WaitForCaption(scriptName, 30)

' The caret of a newly opened script is on its first line.
DebugCommand "\&Toggle Breakpoint.*"
DebugCommand "\&Go.*"
WScript.Echo "stopped=" & WaitForCaption("[break]", 60)
WaitForResults "Script started", 10
WScript.Echo "before at break=" & (InStr(results, "before") > 0)

DebugCommand "\Step \&Over.*"
WScript.Echo "stepped=" & WaitForResults("before", 30)
WScript.Echo "still at break=" & WaitForCaption("[break]", 10)
WScript.Echo "after at step=" & (InStr(results, "after") > 0)

DebugCommand "\&Go.*"
WScript.Echo "ended=" & WaitForResults("Script ended with no errors.", 60)
WScript.Echo "after at end=" & (InStr(results, "after") > 0)

tevrin.menu.menu("\&File").select "E\&xit"
WScript.Echo "exit=" & Err.Number
