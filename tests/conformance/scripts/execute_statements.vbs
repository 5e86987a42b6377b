' Execute runs statements in the current scope.
Dim g
Execute "g = 5"
Check g = 5, "Execute assigns a global"
Execute "g = g * 2 : g = g + 1"
Check g = 11, "several statements in one Execute"
Execute "Dim made : made = ""yes"""
Check made = "yes", "Execute declares a name in the calling scope"
Function LocalScope()
    Dim inner
    Execute "inner = 42"
    LocalScope = inner
End Function
Check LocalScope() = 42, "Execute inside a procedure sees its locals"
Execute "Sub FromText(x)" & vbCrLf & "g = x" & vbCrLf & "End Sub"
FromText 9
Check g = 9, "Execute defines a procedure"
Execute "If g = 9 Then g = ""nine"""
Check g = "nine", "Execute runs compound statements"
On Error Resume Next
Execute "g = = 1"
Check Err.Number <> 0, "a syntax error in Execute is a run-time error"
Err.Clear
On Error GoTo 0
Check g = "nine", "the failed Execute changed nothing"
Done
