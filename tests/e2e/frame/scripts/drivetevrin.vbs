' Drives Tevrin.exe through the wrappers as a tester's script drives any application:
' File > Open through the common Open dialog, Debug > Go, then the records read back
' from the Results pane. Prints one name=value line per step.
'   cscript drivetevrin.vbs <Tevrin.exe> <script to open>
Option Explicit
Dim tevrin, script, scriptName, sync, dlg, started, results, caption

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

Set tevrin = CreateObject("Wrappers.WNDWrapper")
tevrin.appExecute """" & WScript.Arguments(0) & """", "\Tevrin.*"
WScript.Echo "frame=" & tevrin.value

' The Open dialog is modal: the menu command is posted, not sent.
Set sync = CreateObject("Wrappers.Synchronizer")
sync.async = True
tevrin.menu.menu("\&File").select "\&Open.*"
Set dlg = tevrin.waitForWindow("\Open.*", "#32770", 30)
WScript.Echo "dialog=" & dlg.value
dlg.waitForWindow(0, "Edit", 10).value = script
dlg.button("\&?Open").push
WScript.Echo "opened=" & WaitForCaption(scriptName, 30)

' A script window brings its own menu: look the Debug menu up now.
tevrin.menu.menu("\&Debug").select "\&Go.*"
WScript.Echo "ran=" & WaitForCaption("[run]", 5)

started = Timer
Do
    results = tevrin.wnd("Results", "TevrinControlBar").richedit.value
    If InStr(results, "Script ended") > 0 Then Exit Do
Loop While Timer - started < 60 And Timer >= started
WScript.Echo "results=" & Replace(Replace(results, vbCr, "|"), vbLf, "")

tevrin.menu.menu("\&File").select "E\&xit"
WScript.Echo "exit=" & Err.Number
