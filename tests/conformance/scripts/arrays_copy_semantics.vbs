' Arrays are values: assignment and ByVal copy them, ByRef shares them.
Dim a, b, r
a = Array(1, 2, 3)
b = a
b(0) = 99
Check a(0) = 1, "assigning an array copies it"
Sub ChangeByRef(arr)
    arr(1) = "changed"
End Sub
Sub ChangeByVal(ByVal arr)
    arr(2) = "changed"
End Sub
ChangeByRef a
Check a(1) = "changed", "an array passed ByRef is changed by the callee"
ChangeByVal a
Check a(2) = 3, "an array passed ByVal is a copy"
Function MakeArray()
    MakeArray = Array("x", "y")
End Function
r = MakeArray()
Check r(1) = "y", "a function returns an array"
Dim fixed(1)
fixed(0) = "f"
b = fixed
b(0) = "g"
Check fixed(0) = "f", "copying a fixed array into a variable"
Done
