' Exit For, Exit Do, Exit Sub, Exit Function, in nested loops too.
Dim i, j, hits, trail, v, s
For i = 1 To 100
    If i = 7 Then Exit For
Next
Check i = 7, "Exit For keeps the counter"
hits = 0
For i = 1 To 3
    For j = 1 To 3
        If j = 2 Then Exit For
        hits = hits + 1
    Next
Next
Check hits = 3, "Exit For leaves only the inner loop"
Function FirstOver(limit)
    Dim k
    For k = 1 To 1000
        If k * k > limit Then
            FirstOver = k
            Exit Function
        End If
    Next
    FirstOver = -1
End Function
Check FirstOver(50) = 8, "Exit Function inside a loop returns"
Sub Stops()
    trail = trail & "a"
    Exit Sub
    trail = trail & "b"
End Sub
Stops
Check trail = "a", "Exit Sub"
s = ""
For Each v In Array(1, 2, 3, 4)
    If v = 3 Then Exit For
    s = s & v
Next
Check s = "12", "Exit For in For Each"
hits = 0
Do
    Do
        hits = hits + 1
        Exit Do
    Loop
    hits = hits + 10
    If hits > 20 Then Exit Do
Loop
Check hits = 22, "Exit Do leaves only the inner Do"
Done
