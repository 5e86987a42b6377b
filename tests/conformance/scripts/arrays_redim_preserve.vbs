' ReDim Preserve, from an unsized Dim a() on, and of the last dimension.
Dim a()
ReDim Preserve a(0)
a(0) = "first"
ReDim Preserve a(2)
Check a(0) = "first" And UBound(a) = 2, "Preserve keeps the values when growing"
Check IsEmpty(a(2)), "new elements are Empty"
a(2) = "third"
ReDim Preserve a(1)
Check UBound(a) = 1 And a(0) = "first", "Preserve keeps the values when shrinking"
Dim i, items()
For i = 0 To 9
    ReDim Preserve items(i)
    items(i) = i * 2
Next
Check UBound(items) = 9 And items(9) = 18 And items(4) = 8, "grown one element at a time"
Dim m()
ReDim m(1, 2)
m(1, 2) = "corner"
ReDim Preserve m(1, 5)
Check m(1, 2) = "corner" And UBound(m, 2) = 5, "Preserve may change the last dimension"
On Error Resume Next
ReDim Preserve m(3, 5)
Check Err.Number = 9, "Preserve cannot change another dimension (error 9)"
Err.Clear
On Error GoTo 0
Check UBound(m, 1) = 1, "the refused ReDim left the array as it was"
Done
