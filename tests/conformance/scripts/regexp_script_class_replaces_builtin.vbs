' A script's own class named RegExp takes the place of the built-in one for New.
Class RegExp
    Public Pattern
    Public Global
    Public Function Test(text)
        Test = "own " & text
    End Function
End Class
Dim re
Set re = New RegExp
re.Pattern = "a+"
Check TypeName(re) = "RegExp", "New RegExp makes the script's class"
Check re.Test("x") = "own x", "its methods are the script's"
Check IsEmpty(re.Global), "its fields start Empty"
Done
