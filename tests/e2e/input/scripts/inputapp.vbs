' Drives the input application the way a tester's script would: toolbar, menus,
' clicks and a screenshot, printing what it sees.
'   cscript inputapp.vbs <inputapp.exe> <log file> <screenshot file>
Option Explicit
Dim app, logPath, shotPath, root, toolbar, bar, editMenu, fileMenu, pad
app = WScript.Arguments(0)
logPath = WScript.Arguments(1)
shotPath = WScript.Arguments(2)

Set root = CreateObject("Wrappers.WNDWrapper")
root.appExecute """" & app & """ /log """ & logPath & """ /title ""Script Input""", "Script Input"
WScript.Echo "title=" & root.value

Set toolbar = root.toolbar
WScript.Echo "buttons=" & toolbar.count
toolbar.select "Save"

On Error Resume Next
toolbar.click "Nothing", 0
WScript.Echo "badbutton=" & Err.Description & "|" & Err.Source
Err.Clear

Set bar = root.menu
WScript.Echo "menus=" & bar.count
Set editMenu = bar.menu("Edit")
' A literal 1 is a 16-bit integer: menu positions are 32-bit numbers.
editMenu.select 1
WScript.Echo "short=" & Err.Description
Err.Clear
editMenu.select CLng(1)
WScript.Echo "long=" & Err.Number

root.screenshot True, shotPath
WScript.Echo "shot=" & Err.Number
root.screenshot True, shotPath & ".missing\shot.bmp"
WScript.Echo "badshot=" & Hex(Err.Number)
Err.Clear

Set pad = root.wnd(0, "TevrinClickPad")
pad.click 2, 3, 4
WScript.Echo "click=" & Err.Number

Set fileMenu = bar.menu("File")
fileMenu.select "Exit"
WScript.Echo "exit=" & Err.Number
