' On Error Resume Next and On Error GoTo 0, and how they reach into procedures.
Dim x, reached
On Error Resume Next
x = 1 / 0
Check Err.Number = 11, "the error is recorded"
reached = True
Check reached, "execution resumes with the next statement"
Err.Clear
Check Err.Number = 0, "Err.Clear resets the number"
Sub Fails()
    Dim y
    y = CLng("not a number")
    reached = "after the failure inside"
End Sub
reached = ""
Fails
Check Err.Number = 13, "an error in a procedure without a handler reaches the caller's handler"
Check reached = "", "the failing procedure was left at the failure"
Err.Clear
Sub HandlesItself()
    On Error Resume Next
    Dim y
    y = 1 / 0
    reached = "inside went on"
End Sub
HandlesItself
Check reached = "inside went on", "a procedure with its own handler goes on"
On Error GoTo 0
Function SafeDivide(a, b)
    On Error Resume Next
    SafeDivide = a / b
    If Err.Number <> 0 Then SafeDivide = "failed: " & Err.Number
End Function
Check SafeDivide(6, 3) = 2, "no error, plain result"
Check SafeDivide(1, 0) = "failed: 11", "the error seen inside the function"
Done
