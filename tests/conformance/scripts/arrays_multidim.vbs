' Arrays of two and three dimensions.
Dim m(2, 3)
Check UBound(m, 1) = 2 And UBound(m, 2) = 3, "UBound per dimension"
Check UBound(m) = 2, "UBound without a dimension is the first"
Check LBound(m, 2) = 0, "LBound of the second dimension"
Dim i, j, total, v
For i = 0 To 2
    For j = 0 To 3
        m(i, j) = i * 10 + j
    Next
Next
Check m(2, 3) = 23 And m(1, 0) = 10, "elements by two indices"
total = 0
For Each v In m
    total = total + v
Next
Check total = 138, "For Each visits every element"
On Error Resume Next
v = m(3, 0)
Check Err.Number = 9, "first index out of range"
Err.Clear
v = m(0, 4)
Check Err.Number = 9, "second index out of range"
Err.Clear
v = UBound(m, 3)
Check Err.Number = 9, "UBound of a missing dimension"
Err.Clear
v = m(1)
Check Err.Number = 9, "too few indices"
Err.Clear
On Error GoTo 0
Dim cube(1, 1, 1)
cube(1, 1, 1) = "deep"
Check cube(1, 1, 1) = "deep" And UBound(cube, 3) = 1, "three dimensions"
Check IsEmpty(cube(0, 1, 0)), "other elements stay Empty"
Done
