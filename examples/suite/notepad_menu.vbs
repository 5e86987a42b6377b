#timeout 90
' Notepad's menus through the menu wrapper: Edit commands that change the text, then
' Help > About, whose modal box the test reads and closes.
#include "_lib/helpers.vbs"
Option Explicit

Dim notepad, editor, menuBar, editMenu, about

Set notepad = CreateObject("Wrappers.WNDWrapper")
notepad.appExecute "notepad.exe", "\.*Notepad"
Set editor = notepad.edit
editor.value = "Text to be deleted"

' menu is the window's menu bar; menu(text) on it is one of its popups. Items are chosen
' by their text as the menu shows it, with & and the shortcut after a tab: a pattern
' starting with \ spares writing them out.
Set menuBar = notepad.menu
If menuBar.count = 5 Then Env.LogInfo "The menu bar has 5 menus" Else Env.LogError "The menu bar has " & menuBar.count & " menus"
Set editMenu = menuBar.menu("&Edit")
editMenu.select "\Select &all.*"
editMenu.select "\&Delete.*"
If editor.value = "" Then Env.LogInfo "Edit > Select all, Edit > Delete emptied the text" Else Env.LogError "The text is still: " & editor.value
' Edit > Time/Date types the current time and date.
editMenu.select "\&Time/Date.*"
If InStr(editor.value, CStr(Year(Date))) > 0 Then Env.LogInfo "Edit > Time/Date typed: " & editor.value Else Env.LogError "Edit > Time/Date typed: " & editor.value

' An item that is not there is a run-time error, which a test can catch.
On Error Resume Next
editMenu.select "No such item"
If Err.Description = "Cannot find menu item." Then Env.LogInfo "A missing item is reported" Else Env.LogError "A missing item gave: " & Err.Description
Err.Clear
On Error GoTo 0

' The About box is modal: a command that opens one returns only when it closes. With
' Sync.async the command is posted instead, and the test goes on while the box is open.
Sync.async = True
menuBar.menu("&Help").select "&About Notepad"
Set about = notepad.waitForWindow("About Notepad", "#32770", 10)
If about Is Nothing Then
    Env.LogError "No About box within 10 seconds"
Else
    Env.LogInfo "The About box is open"
    If about.exists("Wine Notepad", "Static") Then Env.LogInfo "It names Wine Notepad" Else Env.LogError "It does not name Wine Notepad"
    about.button("OK").push
    If WaitUntilGone(notepad, "About Notepad", "#32770", 10) Then Env.LogInfo "The About box closed with OK" Else Env.LogError "The About box is still open"
End If

' Ended, not closed: the changed text would bring up the save question.
notepad.appRelease True
Env.LogInfo "Notepad ended"
