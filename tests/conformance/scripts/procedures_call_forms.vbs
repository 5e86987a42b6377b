' The ways to call a Sub or a Function, and their arguments.
Dim trail
Sub Add(a, b)
    trail = trail & (a + b) & ";"
End Sub
Sub NoArgs()
    trail = trail & "n;"
End Sub
Function Twice(v)
    Twice = v * 2
End Function
trail = ""
Add 1, 2
Call Add(3, 4)
NoArgs
NoArgs()
Call NoArgs
Call NoArgs()
Check trail = "3;7;n;n;n;n;", "Sub calls with and without Call"
Twice 5
Call Twice(5)
Check Twice(Twice(2)) = 8, "nested function calls"
Dim r
r = Twice(3) + Twice(4)
Check r = 14, "functions in an expression"
On Error Resume Next
Add 1
Check Err.Number = 450, "too few arguments is error 450"
Check Err.Description = "Wrong number of arguments or invalid property assignment", "the text of error 450"
Err.Clear
r = Twice(1, 2)
Check Err.Number = 450, "too many arguments is error 450"
Err.Clear
On Error GoTo 0
Function NoResult()
End Function
Check IsEmpty(NoResult()), "a function that sets no result returns Empty"
Function Recurse(n)
    If n <= 1 Then
        Recurse = 1
    Else
        Recurse = n * Recurse(n - 1)
    End If
End Function
Check Recurse(10) = 3628800, "recursion"
Done
