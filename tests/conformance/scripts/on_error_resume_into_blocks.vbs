' On Error Resume Next: an error in the head of a block goes on into the block.
Dim r, n, x, calls
Function FailsOnce()
    calls = calls + 1
    If calls = 1 Then Err.Raise 5
    FailsOnce = False
End Function
On Error Resume Next
r = ""
If 1 / 0 Then
    r = "then"
Else
    r = "else"
End If
Check r = "then", "an error in the If condition goes into the Then block"
Check Err.Number = 11, "and Err holds the error"
Err.Clear
r = ""
If False Then
    r = "if"
ElseIf CLng("x") Then
    r = "elseif"
Else
    r = "else"
End If
Check r = "elseif", "an error in an ElseIf condition goes into its block"
Check Err.Number = 13, "Err holds the type mismatch"
Err.Clear
r = ""
If 1 / 0 Then r = "then" Else r = "else"
Check r = "then", "the one-line If goes on into its Then part"
Err.Clear
r = ""
Select Case 1 / 0
    Case 1
        r = "one"
    Case 2
        r = "two"
End Select
Check r = "one", "an error in the tested value goes into the first Case"
Check Err.Number = 11, "Err holds the division by zero"
Err.Clear
n = 0
Do While 1 / 0
    n = n + 1
    If n = 3 Then Exit Do
Loop
Check n = 3, "an error in a Do While test runs the body each time"
Err.Clear
n = 0
Do Until CLng("x")
    n = n + 1
    If n = 2 Then Exit Do
Loop
Check n = 2, "so does an error in a Do Until test"
Err.Clear
calls = 0 : n = 0
While FailsOnce()
    n = n + 1
Wend
Check n = 1 And calls = 2, "While goes into the body once, then tests again"
Check Err.Number = 5, "the raised number stays"
Err.Clear
n = 0
For Each x In 1 / 0
    n = n + 1
Next
Check n = 1, "an error in the For Each group runs the body once"
Check Err.Number = 11, "For Each: Err holds the error"
Err.Clear
n = 0
Do
    n = n + 1
    If n = 5 Then Exit Do
Loop While 1 / 0
Check n = 1, "an error in the test at the bottom goes on past the loop"
Done
