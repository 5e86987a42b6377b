' Checks the order dialog of the application under test
Option Explicit
Dim wnd, count, name
Set wnd = CreateObject("Wrappers.WNDWrapper")
count = 0
For i = 1 To 3
    count = count + &H10 ' hex number
    name = name & "x"
Next
If count > 20 Then
    Env.LogError "too many: " & count
Else
    Env.LogInfo "count is fine"
End If
Rem the end
