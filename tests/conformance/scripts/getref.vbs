' GetRef: references to procedures, called later.
Dim trail
Function Add(a, b)
    Add = a + b
End Function
Sub Remember(x)
    trail = trail & x
End Sub
Dim f, s
Set f = GetRef("Add")
Check f(2, 3) = 5, "calling a function through its reference"
Check IsObject(f), "a reference is an object"
Set s = GetRef("remember")
s "a"
s "b"
Check trail = "ab", "calling a Sub through its reference, name in any case"
Function Apply(fn, v)
    Apply = fn(v, v)
End Function
Check Apply(GetRef("Add"), 21) = 42, "a reference passed as an argument"
On Error Resume Next
Set f = GetRef("NoSuchProcedure")
Check Err.Number = 5, "an unknown name is error 5"
Err.Clear
On Error GoTo 0
Done
