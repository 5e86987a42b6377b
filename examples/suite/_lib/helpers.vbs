' Helpers shared by the example tests. A script adds them with
'   #include "_lib/helpers.vbs"
' "Tevrin.exe /suite" skips files and folders whose names begin with _, so this file is
' not run as a test of its own.
'
' The tests log their checks themselves, one line each: Env.LogInfo when a check holds,
' Env.LogError when it does not. A record carries the file and line of the statement that
' wrote it, so a failed check points at the line of the test, not at a helper.
Option Explicit

' Seconds since a value of Timer (which restarts at midnight).
Function SecondsSince(start)
    SecondsSince = Timer - start
    If SecondsSince < 0 Then SecondsSince = SecondsSince + 86400
End Function

' A dialog closes a little after its button was pushed: the push returns when the
' dialog has handled the click, the window goes when its modal loop ends. Waits until no
' window with the title and class is left below owner (any window of owner's process
' when owner is a main window); false if one is still there after the given seconds.
Function WaitUntilGone(owner, title, className, seconds)
    Dim start
    start = Timer
    Do While owner.exists(title, className)
        If SecondsSince(start) >= seconds Then
            WaitUntilGone = False
            Exit Function
        End If
        Env.Sleep 100
    Loop
    WaitUntilGone = True
End Function

' The user's temporary folder, for files a test writes and deletes again.
Function TempFolder()
    TempFolder = CreateObject("Scripting.FileSystemObject").GetSpecialFolder(2).Path
End Function

' Expands a tree view item the way a user does, with a double click, so that an
' application that fills its tree on demand (regedit) loads the children. (Setting the
' wrapper's expanded property only changes how the item is drawn.) The wrapper knows the
' items but not where they are drawn, so the item's row is found first: with nothing
' selected, click down the tree a few pixels at a time until a click selects the item.
' Nothing is ever clicked while it is selected: a second click on a selected label
' would start renaming it. The clicks are more than a double-click time (0.5 s unless
' the user changed it) apart, so that no two of them make a double click. Labels begin
' further right the deeper the item; x aims at the icon or label at the item's depth for
' the standard indent of 19 pixels. Returns whether the item is expanded at the end.
Function ExpandTreeItem(tree, item)
    Dim wanted, depth, above, x, y, clicked, selected
    wanted = tree.item(item)
    depth = 0
    above = tree.parent(item)
    Do While above <> 0
        depth = depth + 1
        above = tree.parent(above)
    Loop
    x = 48 + 19 * depth
    ' A double click on an expanded item would collapse it.
    ExpandTreeItem = tree.expanded(item)
    If ExpandTreeItem Then Exit Function
    tree.ensureVisible item
    For y = 4 To 600 Step 10
        tree.curSel = 0
        tree.click 0, x, y
        clicked = Timer
        ' The click reaches the application through its input queue: watch for it.
        Do
            selected = tree.curSel
            If selected <> "" Or SecondsSince(clicked) > 0.6 Then Exit Do
            Env.Sleep 20
        Loop
        Do While SecondsSince(clicked) < 0.6
            Env.Sleep 20
        Loop
        If selected = wanted Then
            tree.curSel = 0
            tree.dblclick 0, x, y
            clicked = Timer
            Do Until tree.expanded(item) Or SecondsSince(clicked) > 5
                Env.Sleep 50
            Loop
            ExpandTreeItem = tree.expanded(item)
            Exit Function
        End If
    Next
    tree.curSel = 0
End Function
