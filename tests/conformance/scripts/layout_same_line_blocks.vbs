' Statements on the same line as the keywords of their block, without colons.
Dim a, n, t
If True Then a = 1 Else a = 2 End If
Check a = 1, "one-line If with Else and End If, true"
If False Then a = 1 Else a = 2 End If
Check a = 2, "one-line If with Else and End If, false"
a = 0
If True Then a = 5 End If
Check a = 5, "End If on the same line ends the one-line If"
If True Then :
    a = 6
End If
Check a = 6, "If c Then : followed by lines is a block If"
If False Then
    a = 7
ElseIf True Then a = 8
End If
Check a = 8, "a statement on the ElseIf line"
If False Then
    a = 9
Else a = 10
End If
Check a = 10, "a statement on the Else line"
Select Case 2
    Case 1  a = 11
    Case 2  a = 12
    Case Else  a = 13
End Select
Check a = 12, "a statement after the Case value"
n = 0
Sub Tick() n = n + 1 End Sub
Tick
Tick
Check n = 2, "a one-line Sub"
Function One() One = 1 End Function
Check One() = 1, "a one-line Function"
Class Tally Public Count End Class
Set t = New Tally
t.Count = 3
Check t.Count = 3, "a class body on one line"
Sub Double(x)
    x = x * 2 End Sub
a = 4
Double a
Check a = 8, "End Sub after a statement closes the procedure"
Function Sign(v)
    If v < 0 Then Sign = -1 Else Sign = 1 End If
End Function
Check Sign(-3) = -1 And Sign(3) = 1, "one-line If with End If inside a procedure"
Done
