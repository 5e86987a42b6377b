' Procedures and classes exist before the script runs, wherever the global code declares
' them; the last declaration of a name wins.
Dim r, i, h
Check Early() = "early", "a function declared inside a block that never runs"
If False Then
    Function Early()
        Early = "early"
    End Function
End If
For i = 1 To 1
    Sub InLoop()
        r = "in loop"
    End Sub
Next
r = ""
InLoop
Check r = "in loop", "a procedure declared inside a loop"
r = ""
Which
Check r = "second", "the last declaration wins, even for a call before both"
Sub Which()
    r = "first"
End Sub
Sub Which()
    r = "second"
End Sub
Function Twice(x)
    Twice = x + x
End Function
Function Twice(x)
    Twice = 2 * x + 1
End Function
Check Twice(3) = 7, "a Function declared again"
If False Then
    Class Hidden
        Public Name
    End Class
End If
Set h = New Hidden
h.Name = "made"
Check h.Name = "made", "a class declared inside a block"
Done
