' Erase empties a fixed array and frees a dynamic one.
Dim fixed(2), n
fixed(0) = 1 : fixed(1) = "s"
Set fixed(2) = CreateObject("Scripting.Dictionary")
Erase fixed
Check UBound(fixed) = 2, "Erase keeps a fixed array's size"
Check IsEmpty(fixed(0)) And IsEmpty(fixed(1)), "Erase empties the elements of a fixed array"
Check IsEmpty(fixed(2)), "object elements are emptied too"
Dim dyn()
ReDim dyn(5)
dyn(5) = "x"
Erase dyn
On Error Resume Next
n = UBound(dyn)
Check Err.Number = 9, "Erase frees a dynamic array"
Err.Clear
On Error GoTo 0
ReDim dyn(1)
Check UBound(dyn) = 1 And IsEmpty(dyn(1)), "an erased dynamic array can be sized again"
Done
