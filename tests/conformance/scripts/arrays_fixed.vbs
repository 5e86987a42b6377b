' Fixed-size arrays: bounds, Empty elements, subscripts out of range.
Dim a(3)
Check UBound(a) = 3, "UBound of Dim a(3)"
Check LBound(a) = 0, "LBound is 0"
Check IsEmpty(a(2)), "elements start Empty"
Check IsArray(a), "IsArray"
Check VarType(a) = 8204, "VarType of an array is vbArray + vbVariant"
Check TypeName(a) = "Variant()", "TypeName of an array"
Dim i
For i = 0 To 3
    a(i) = i * i
Next
Check a(3) = 9, "elements hold values"
a(1) = "mixed"
Check a(1) = "mixed" And a(2) = 4, "elements of different subtypes"
Dim v
On Error Resume Next
a(4) = 1
Check Err.Number = 9, "an index past UBound is error 9"
Check Err.Description = "Subscript out of range", "the text of error 9"
Err.Clear
v = a(-1)
Check Err.Number = 9, "a negative index is error 9"
Err.Clear
On Error GoTo 0
Done
