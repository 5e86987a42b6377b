' Calls through parenthesised expressions, and a blank before a subscript.
Dim y, arr, total
Class Counter
    Public Count
    Public Sub Reset()
        Count = 0
        total = "reset"
    End Sub
End Class
Function Twice(v)
    Twice = v * 2
End Function
Sub Add(v)
    total = total + v
End Sub
total = ""
Call (New Counter).Reset()
Check total = "reset", "Call through a parenthesised New"
total = 1
Call (((Add))) (4)
Check total = 5, "Call through a name in parentheses"
y = (Twice)(3)
Check y = 6, "a function name in parentheses called with arguments"
arr = Array(1, 2, 3)
arr (0) = 5
Check arr(0) = 5, "a blank between an array name and its subscript"
arr (1 + 1) = 7
Check arr(2) = 7, "an expression as the subscript after a blank"
Check (arr)(0) = 5, "an element of an array in parentheses"
Done
