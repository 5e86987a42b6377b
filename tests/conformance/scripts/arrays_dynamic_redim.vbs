' Dynamic arrays: Dim a(), ReDim, ReDim of a new name, empty arrays.
Dim a(), n
On Error Resume Next
n = UBound(a)
Check Err.Number = 9, "UBound of an unsized Dim a() is error 9"
Err.Clear
On Error GoTo 0
ReDim a(2)
Check UBound(a) = 2, "ReDim sizes the array"
a(0) = "x" : a(2) = "z"
ReDim a(4)
Check UBound(a) = 4, "ReDim resizes"
Check IsEmpty(a(0)), "ReDim without Preserve clears the values"
ReDim b(1, 1)
Check UBound(b, 2) = 1, "ReDim declares a new name"
Dim size
size = 6
ReDim a(size - 1)
Check UBound(a) = 5, "ReDim takes an expression"
ReDim a(-1)
Check UBound(a) = -1, "ReDim a(-1) makes an empty array"
Sub LocalArray()
    Dim inner()
    ReDim inner(3)
    inner(3) = "last"
    Check inner(3) = "last", "a procedure's own dynamic array"
End Sub
LocalArray
Done
