' Arrays as arguments, arrays inside arrays, when a Dim makes its array, ReDim of a fixed one.
Dim arr, outer
Sub Fill(a)
    a(0) = "filled"
End Sub
Function EmptyBeforeItsDim()
    EmptyBeforeItsDim = IsEmpty(inside)
    Dim inside(2)
End Function
arr = Array("a", "b")
Fill (arr)
Check arr(0) = "a", "an argument in parentheses passes a copy"
Call Fill((arr))
Check arr(0) = "a", "Call with doubled parentheses passes a copy"
Fill arr
Check arr(0) = "filled", "a plain argument passes the array by reference"
arr = Array("a", "b")
Call Fill(arr)
Check arr(0) = "filled", "Call Fill(arr) passes it by reference"
Check VarType(arr) = 8204, "VarType of an array of variants is vbArray + vbVariant"
Check VarType(Array()) = 8204, "so is the one of an empty Array()"
outer = Array(Array(1, 2), Array(3, 4))
outer(0)(1) = 20
Check outer(0)(1) = 20, "an array inside an array changes in place"
Check outer(1)(0) = 3 And outer(0)(0) = 1, "its neighbours stay"
Check IsEmpty(later), "a Dim array is Empty before its Dim runs"
Dim later(3)
Check IsArray(later), "and an array after it"
Check UBound(later) = 3, "with its size"
Check VarType(later) = 8204, "VarType of a Dim array"
Check EmptyBeforeItsDim(), "inside a procedure too"
On Error Resume Next
ReDim later(5)
Check Err.Number = 10, "ReDim of a fixed-size array is error 10"
Check UBound(later) = 3, "and the array keeps its size"
Err.Clear
Done
