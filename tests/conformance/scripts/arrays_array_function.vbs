' Array(), empty arrays, arrays of arrays.
Dim a, e, nested, i, sum
a = Array(1, "two", 3.5)
Check UBound(a) = 2, "Array() of three"
Check a(1) = "two", "element of Array()"
Check TypeName(a(2)) = "Double", "elements keep their subtypes"
Check VarType(a) = 8204, "Array() makes a Variant array"
e = Array()
Check UBound(e) = -1 And LBound(e) = 0, "Array() with no arguments is empty"
Check IsArray(e), "an empty Array() is an array"
nested = Array(Array(1, 2), Array(3, 4))
Check nested(1)(0) = 3, "arrays of arrays index twice"
nested(0)(1) = 20
Check nested(0)(1) = 20, "assigning into an inner array"
sum = 0
For i = LBound(a) To UBound(a)
    If IsNumeric(a(i)) Then sum = sum + a(i)
Next
Check sum = 4.5, "loop from LBound to UBound"
Done
