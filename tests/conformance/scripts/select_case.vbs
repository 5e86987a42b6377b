' Select Case: lists, strings, Case Else, one evaluation, first match only.
Function Kind(x)
    Select Case x
        Case 1, 2, 3
            Kind = "small"
        Case 4
            Kind = "four"
        Case "a", "b"
            Kind = "letter"
        Case Else
            Kind = "other"
    End Select
End Function
Check Kind(2) = "small", "a value in a list"
Check Kind(4) = "four", "a single value"
Check Kind("b") = "letter", "string cases"
Check Kind(99) = "other", "Case Else"
Dim calls, r, y
calls = 0
Function Counted()
    calls = calls + 1
    Counted = 2
End Function
Select Case Counted()
    Case 1
    Case 2
    Case 3
End Select
Check calls = 1, "the tested expression is evaluated once"
r = ""
Select Case 5
    Case 1 : r = "one"
    Case 5 : r = "five"
    Case 5 : r = "again"
End Select
Check r = "five", "only the first matching case runs"
r = "unchanged"
Select Case 7
    Case 1
        r = "one"
End Select
Check r = "unchanged", "no match and no Case Else runs nothing"
y = 3
Select Case True
    Case y > 5 : r = "big"
    Case y > 2 : r = "medium"
    Case Else : r = "small"
End Select
Check r = "medium", "Select Case True with conditions"
Select Case y + 1
    Case y * 2 - 2
        r = "expression case"
    Case Else
        r = "no"
End Select
Check r = "expression case", "cases are expressions"
Done
