' A call statement whose first argument starts with a parenthesis: the parenthesis
' belongs to the argument, not to an argument list.
Dim trail
Sub Add(a, b)
    trail = trail & (a + b) & ";"
End Sub
Sub Show(text)
    trail = trail & text & ";"
End Sub
trail = ""
Add (1 + 1) * 2, 0
Check trail = "4;", "the first argument is the whole expression"
Show ("a") & "b"
Check trail = "4;ab;", "a parenthesised string followed by more"
Add (1), (2)
Check trail = "4;ab;3;", "every argument parenthesised"
Check (1 + 1) = 2, "Check itself called with a parenthesised start"
Done
