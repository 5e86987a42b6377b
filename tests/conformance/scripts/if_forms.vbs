' If in its single-line and block forms, ElseIf chains, nesting.
Dim a, b, r
a = 0 : b = 0
If True Then a = 1 : b = 2
Check a = 1 And b = 2, "single-line If runs every statement after Then"
a = 0 : b = 0
If False Then a = 1 : b = 2
Check a = 0 And b = 0, "single-line If skips them all"
If False Then a = 1 Else a = 2 : b = 3
Check a = 2 And b = 3, "single-line Else runs every statement after it"
Function Grade(n)
    If n >= 90 Then
        Grade = "A"
    ElseIf n >= 80 Then
        Grade = "B"
    ElseIf n >= 70 Then
        Grade = "C"
    Else
        Grade = "F"
    End If
End Function
Check Grade(95) = "A" And Grade(85) = "B" And Grade(75) = "C" And Grade(10) = "F", "ElseIf chain"
r = ""
If a = 2 Then
    If b = 3 Then
        r = "both"
    Else
        r = "a only"
    End If
End If
Check r = "both", "nested If"
If a = 2 Then r = "one line" Else r = "other"
Check r = "one line", "single-line If with Else"
If Not (a = 5) Then r = "not"
Check r = "not", "If Not"
If 5 Then r = "number"
Check r = "number", "a non-zero number is true"
If "True" Then r = "text"
Check r = "text", "the text True converts to True"
Done
