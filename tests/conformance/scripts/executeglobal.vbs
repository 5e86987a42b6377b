' ExecuteGlobal always runs in the global scope.
Dim shared
Sub DefineFromInside()
    Dim shared
    ExecuteGlobal "shared = ""global"""
    shared = "local"
End Sub
DefineFromInside
Check shared = "global", "ExecuteGlobal from a procedure sets the global"
Sub DeclareFromInside()
    ExecuteGlobal "Dim madeGlobally : madeGlobally = 3"
End Sub
DeclareFromInside
Check madeGlobally = 3, "a name declared by ExecuteGlobal is global"
ExecuteGlobal "Function Triple(x)" & vbCrLf & "Triple = x * 3" & vbCrLf & "End Function"
Check Triple(4) = 12, "ExecuteGlobal defines a function for everyone"
ExecuteGlobal "Class Made" & vbCrLf & "Public Value" & vbCrLf & "End Class"
Dim m
Set m = New Made
m.Value = 1
Check m.Value = 1, "ExecuteGlobal defines a class"
Done
