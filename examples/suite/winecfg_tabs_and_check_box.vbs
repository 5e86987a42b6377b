#timeout 90
' winecfg's property sheet: read the Windows version combo box, switch to the Graphics
' tab, tick a check box and put it back, then leave with Cancel so that nothing is saved.
#include "_lib/helpers.vbs"
Option Explicit

Dim winecfg, tabs, versions, version, desktop, before

Set winecfg = CreateObject("Wrappers.WNDWrapper")
' Without a title the main window is the one winecfg shows: its property sheet.
winecfg.appExecute "winecfg.exe"
If winecfg.value = "Wine configuration" Then Env.LogInfo "winecfg is open" Else Env.LogError "Unexpected title: " & winecfg.value

' The tab control of the sheet: tabs are read and chosen by index or by their text.
Set tabs = winecfg.tabctrl
If tabs.count = 7 Then Env.LogInfo "winecfg has 7 tabs" Else Env.LogError "winecfg has " & tabs.count & " tabs"
If tabs.curSel = "Applications" Then Env.LogInfo "The first tab is Applications" Else Env.LogError "The open tab is " & tabs.curSel

' The Applications tab has one combo box: the Windows version Wine reports.
Set versions = winecfg.combobox
version = versions.curSel
Env.LogInfo "Windows version: " & version & " (one of " & versions.count & ")"
If versions.count > 1 And versions.findItem(version) >= 0 Then
    Env.LogInfo "The selected version is in the list"
Else
    Env.LogError "The version list does not hold the selection"
End If
' A pattern that begins with \ is a regular expression for the whole item text.
If versions.findItem("\Windows (7|8|10)") >= 0 Then Env.LogInfo "Windows 7, 8 or 10 is offered" Else Env.LogError "Neither Windows 7, 8 nor 10 is offered"

' The sheet makes a page when its tab is first chosen: the Graphics check boxes appear
' only after the switch.
If Not winecfg.exists("&Emulate a virtual desktop", "Button") Then Env.LogInfo "The Graphics page is not made yet" Else Env.LogError "The Graphics page exists already"
tabs.curSel = "Graphics"
If tabs.curSel = "Graphics" Then Env.LogInfo "Switched to Graphics" Else Env.LogError "Switch failed, the tab is " & tabs.curSel

If winecfg.exists("&Emulate a virtual desktop", "Button") Then
    ' A button is found by its text, with its & for the underlined letter.
    Set desktop = winecfg.button("&Emulate a virtual desktop")
    before = desktop.check
    Env.LogInfo "Emulate a virtual desktop: " & before
    ' check sets the box's state directly: winecfg hears of no click, so not even Apply
    ' would save it. The box is put back all the same.
    desktop.check = Not before
    If desktop.check = (Not before) Then Env.LogInfo "The box was ticked over" Else Env.LogError "The box did not change"
    desktop.check = before
    If desktop.check = before Then Env.LogInfo "The box is back as it was" Else Env.LogError "The box was not put back"
Else
    Env.LogError "The Graphics page has no virtual desktop box"
End If

' Tabs can be chosen by index too: the seventh is About.
tabs.curSel = 6
If tabs.curSel = "About" Then Env.LogInfo "Switched to About by index" Else Env.LogError "Tab 6 is " & tabs.curSel

' Cancel ends winecfg without applying anything. The click is posted (async): winecfg's
' sheet looks whether it should close only when a message arrives in its queue, and a
' click sent straight to its window procedure is not such a message.
Sync.async = True
winecfg.button("Cancel").push
If WaitUntilGone(winecfg, "Wine configuration", "#32770", 10) Then
    Env.LogInfo "winecfg closed with Cancel"
Else
    Env.LogError "winecfg is still open after Cancel"
    winecfg.appRelease True
End If
