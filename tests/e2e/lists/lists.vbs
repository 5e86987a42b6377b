' The list wrappers as a test script uses them, run by Wine's cscript against the
' controls application whose dialog handle is the first argument.
' Prints one "ok" or "FAIL" line per check; the exit code is the number of failures.
Option Explicit
Dim failures : failures = 0

Sub Check(ok, what)
    If ok Then
        WScript.Echo "ok " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

' Wine's script host has no WScript.Sleep: the waits poll until a deadline.
Function SecondsSince(start)
    SecondsSince = Timer - start
    If SecondsSince < 0 Then SecondsSince = SecondsSince + 86400  ' past midnight
End Function

Function WaitForCell(view, row, col, text)
    Dim start : start = Timer
    WaitForCell = True
    Do
        If view.item(row, col) = text Then Exit Function
    Loop While SecondsSince(start) < 5
    WaitForCell = False
End Function

Function WaitForCount(list, n)
    Dim start : start = Timer
    WaitForCount = True
    Do
        If list.count = n Then Exit Function
    Loop While SecondsSince(start) < 5
    WaitForCount = False
End Function

Dim w, sync, lb, ml, cb, tabs, lv, tv, c, h, i, row, total, x
Set w = CreateObject("Wrappers.WNDWrapper")
w.connect CLng(WScript.Arguments(0))
Set sync = CreateObject("Wrappers.Synchronizer")

' list boxes
Set lb = w.dlgItem(1010)
Check lb.count = 5, "list box count"
Check lb.item(2) = "cherry", "list box item by index"
i = 3
Check lb.item(i) = "date", "list box item by a variable"
Check lb.item("\b.*") = "banana", "list box item by expression"
Check lb.item("nomatch") = "", "list box pattern without a match"
Check lb.item(-1) = "", "list box negative index"
Check lb.item(2147483647) = "", "list box huge index"
Check lb.item(Null) = "" And lb.item(Empty) = "" And lb.item(1.5) = "", "list box other types"
Check lb.findItem("date") = 3, "list box findItem"
lb.selected("cherry") = False
Check lb.selected(2), "single selection selects whatever the value"
Check lb.selectedItems = 2, "single selection gives the index"

Set ml = w.listbox(1)
ml.selected(1) = True
ml.selected(4) = True
Set c = ml.selectedItems
Check c.count = 2, "multiple selection count"
Check c.item(0) = 1 And c.item(1) = 4, "multiple selection items"
total = 0
For Each i In c
    total = total + i
Next
Check total = 5, "multiple selection enumeration"
On Error Resume Next
x = c.item(2)
Check Err.Number <> 0, "collection index beyond the end fails"
Err.Clear
x = c.item(-1)
Check Err.Number <> 0, "negative collection index fails"
Err.Clear
On Error GoTo 0

' one-shot async
sync.async = True
row = lb.newItem("posted")
Check Not sync.async, "async is consumed by one operation"
' A sent message overtakes one still waiting in the queue: wait for the posted one.
Check WaitForCount(lb, 6), "the posted item arrives"
Check lb.item(5) = "posted", "the posted item is appended"
row = lb.newItem("sent")
Check row = 6, "the next operation is sent and returns its row"

' combo box and tab
Set cb = w.combobox
Check cb.curSel = "", "combo box without selection"
cb.curSel = "green"
Check cb.curSel = "green", "combo box selection is its text"
Check cb.findItem("blue") = 2, "combo box findItem"
Set tabs = w.tabctrl
Check tabs.count = 3 And tabs.item(1) = "Details", "tab texts"
tabs.curSel = "\Adv.*"
Check tabs.curSel = "Advanced", "tab selection by expression"
tabs.curSel = "Nowhere"
Check tabs.curSel = "Advanced", "tab selection without a match changes nothing"

' list view
Set lv = w.listview
Check lv.count = 4, "list view count"
Check lv.item(2, 2) = "third", "list view cell"
Check lv.item(2147483647, 0) = "" And lv.item(-1, -1) = "", "list view cells that do not exist"
Check lv.findItem("alpha") = 0, "list view search by the first column"
Check lv.findItem("alpha|4") = 3, "list view search by two columns"
Check lv.findItem("beta,2", ",") = 1, "list view search with another separator"
row = lv.newItem("a||c")
Check lv.item(row, 0) = "a" And lv.item(row, 1) = "c" And lv.item(row, 2) = "", "list view new row drops empty fields"
Check Not lv.check(0), "list view unchecked box"
lv.check(0) = True
Check lv.check(0), "list view checked box"
lv.selected("beta") = True
Set c = lv.selectedItems
Check c.count = 1 And c.item(0) = 1, "list view selection"
sync.async = True
lv.item(0, 2) = "async text"
Check Not sync.async, "list view async consumed"
Check WaitForCell(lv, 0, 2, "async text"), "list view posted text arrives"

' tree view
Set tv = w.treectrl
h = tv.findItem("Child A1")
Check h <> 0, "tree findItem"
Check tv.item(h) = "Child A1", "tree item by handle"
Check tv.item(0) = "", "tree item 0"
Check tv.item(12345) = "", "tree item by a number that is no handle"
Check tv.parent(h) = tv.findItem("Root A"), "tree parent"
Check tv.findItem("Child B1", tv.findItem("Root A")) = 0, "tree search below a parent"
Check tv.findItem("Child B1", tv.findItem("Root B")) <> 0, "tree search below the right parent"
h = tv.newItem("Root C")
Check tv.item(h) = "Root C" And tv.parent(h) = 0, "tree new root item"
tv.curSel = "Child A2"
Check tv.curSel = "Child A2", "tree selection"

WScript.Quit failures
