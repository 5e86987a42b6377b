#timeout 90
' A modal dialog: Notepad's File > Open. The command that opens it would hold the script
' until the dialog closes, so it is posted with Sync.async; the test then waits for the
' dialog, reads it and cancels it.
#include "_lib/helpers.vbs"
Option Explicit

Dim notepad, dialog, types

Set notepad = CreateObject("Wrappers.WNDWrapper")
notepad.appExecute "notepad.exe", "\.*Notepad"

' async holds for one operation only: the select reads it, posts the command and clears it.
Sync.async = True
notepad.menu.menu("&File").select "\&Open.*"
If Not Sync.async Then Env.LogInfo "The select used up async" Else Env.LogError "async is still set"

' waitForWindow searches the top-level windows of Notepad's process first; its time limit
' is in seconds. It gives Nothing when no window came.
Set dialog = notepad.waitForWindow("Open", "#32770", 10)
If dialog Is Nothing Then
    Env.LogError "No Open dialog within 10 seconds"
Else
    Env.LogInfo "The Open dialog is there"
    ' The file name box offers the text files Notepad opens by default.
    If dialog.edit.value = "*.txt" Then Env.LogInfo "The file name box holds *.txt" Else Env.LogError "The file name box holds " & dialog.edit.value
    ' The third combo box is Files of type: its selection is the filter's text.
    Set types = dialog.combobox(2)
    If types.curSel = "Text files (*.txt)" Then Env.LogInfo "Files of type: " & types.curSel Else Env.LogError "Files of type: " & types.curSel
    If types.findItem("\All files.*") >= 0 Then Env.LogInfo "All files can be chosen" Else Env.LogError "No All files filter"
    If dialog.exists(0, "SysListView32") Then Env.LogInfo "The dialog lists the folder's files" Else Env.LogError "The dialog has no file list"

    dialog.button("Cancel").push
    If WaitUntilGone(notepad, "Open", "#32770", 10) Then Env.LogInfo "Cancel closed the dialog" Else Env.LogError "The dialog is still open"
End If
' Nothing was opened.
If notepad.value = "Untitled - Notepad" Then Env.LogInfo "Notepad still shows an untitled document" Else Env.LogError "Notepad's title is " & notepad.value

notepad.appRelease True
Env.LogInfo "Notepad ended"
