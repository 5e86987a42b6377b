Option Explicit
' With Option Explicit every name must be declared: error 500 otherwise.
Dim declared, result
declared = 1
On Error Resume Next
result = notDeclared + 1
Check Err.Number = 500, "reading an undeclared name is error 500"
Check Left(Err.Description, 21) = "Variable is undefined", "the text of error 500"
Err.Clear
notDeclaredEither = 2
Check Err.Number = 500, "assigning to an undeclared name is error 500"
Err.Clear
On Error GoTo 0
Check declared = 1, "declared names work"
Sub UsesLocal()
    Dim inside
    inside = 3
    Check inside = 3, "a procedure's own Dim"
End Sub
UsesLocal
Done
