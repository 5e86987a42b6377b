' Property Get, Let and Set; read-only properties; properties with arguments.
Class Person
    Private name_
    Private buddy_
    Private scores_(2)
    Public Property Get Name()
        Name = name_
    End Property
    Public Property Let Name(value)
        name_ = UCase(value)
    End Property
    Public Property Get Buddy()
        Set Buddy = buddy_
    End Property
    Public Property Set Buddy(value)
        Set buddy_ = value
    End Property
    Public Property Get Greeting()
        Greeting = "Hello, " & name_
    End Property
    Public Property Get Score(i)
        Score = scores_(i)
    End Property
    Public Property Let Score(i, value)
        scores_(i) = value
    End Property
End Class
Dim p, q
Set p = New Person
p.Name = "ann"
Check p.Name = "ANN", "Property Let and Get"
Check p.Greeting = "Hello, ANN", "a Get-only property"
Set q = New Person
q.Name = "bob"
Set p.Buddy = q
Check p.Buddy.Name = "BOB", "Property Set and an object-valued Get"
Check p.Buddy Is q, "the property keeps the same object"
p.Score(1) = 42
Check p.Score(1) = 42, "properties with an argument"
On Error Resume Next
p.Greeting = "x"
Check Err.Number <> 0, "assigning a Get-only property fails"
Err.Clear
On Error GoTo 0
Check p.Greeting = "Hello, ANN", "the Get-only property is unchanged"
Done
