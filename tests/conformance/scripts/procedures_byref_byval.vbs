' ByRef by default, ByVal copies, a parenthesised argument is passed by value.
Sub Bump(n)
    n = n + 1
End Sub
Sub BumpByVal(ByVal n)
    n = n + 1
End Sub
Sub BumpExplicit(ByRef n)
    n = n + 1
End Sub
Function BumpAndReturn(n)
    n = n + 10
    BumpAndReturn = n
End Function
Dim x, arr(1), r
x = 1
Bump x
Check x = 2, "arguments are ByRef by default"
BumpByVal x
Check x = 2, "ByVal gets a copy"
BumpExplicit x
Check x = 3, "explicit ByRef"
Bump (x)
Check x = 3, "a parenthesised argument is passed by value"
Call Bump(x)
Check x = 4, "Call passes ByRef"
r = BumpAndReturn(x)
Check x = 14 And r = 14, "a function's argument is ByRef too"
r = BumpAndReturn((x))
Check x = 14 And r = 24, "extra parentheses pass a function's argument by value"
Bump x + 0
Check x = 14, "an expression is passed by value"
arr(0) = 5
Bump arr(0)
Check arr(0) = 6, "an array element is passed ByRef"
Class Holder
    Public Value
End Class
Dim h
Set h = New Holder
h.Value = 1
Bump h.Value
Check h.Value = 1, "an object's property is passed by value"
Done
