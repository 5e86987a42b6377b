' Classes: Public and Private members, methods, New, separate instances.
Class Counter
    Private count_
    Public Name
    Public Sub Increment()
        count_ = count_ + 1
    End Sub
    Public Function Value()
        Value = count_
    End Function
    Private Function Secret()
        Secret = "hidden"
    End Function
    Public Function CallsSecret()
        CallsSecret = Secret()
    End Function
    Sub DefaultsToPublic()
    End Sub
End Class
Dim a, b
Set a = New Counter
Set b = New Counter
a.Increment
a.Increment
b.Increment
Check a.Value = 2 And b.Value() = 1, "each instance has its own fields"
a.Name = "first"
Check a.Name = "first" And IsEmpty(b.Name), "public fields"
Check a.CallsSecret() = "hidden", "a method calls a private method"
Check TypeName(a) = "Counter", "TypeName of an instance is its class"
Check IsObject(a), "an instance is an object"
a.DefaultsToPublic
On Error Resume Next
Dim x
x = a.Secret()
Check Err.Number = 438, "a private method is not reachable from outside (438)"
Err.Clear
x = a.count_
Check Err.Number = 438, "a private field is not reachable from outside (438)"
Err.Clear
a.NoSuchMethod
Check Err.Number = 438, "an unknown member is error 438"
Check Err.Description = "Object doesn't support this property or method", "the text of error 438"
Err.Clear
On Error GoTo 0
Done
