' Words that are keywords only inside certain statements name ordinary things elsewhere.
Dim step, error, explicit, r, i, p, b
step = 2
r = 0
For i = 1 To 5 Step step
    r = r + 1
Next
Check r = 3, "a variable called step as the Step of a loop"
error = "e" : explicit = "x"
Check error & explicit = "ex", "variables called error and explicit"
Sub Log(property)
    r = "logged " & property
End Sub
Log "it"
Check r = "logged it", "a parameter called property"
Function Default(value)
    Default = value * 2
End Function
Check Default(4) = 8, "a function called Default"
Class Property
    Public Name
End Class
Set p = New Property
p.Name = "prop"
Check p.Name = "prop", "a class called Property"
Class Bag
    Public Global
    Public Default
    Private mItems
    Public Property Get Property()
        Property = "the property"
    End Property
    Public Sub Step()
        Global = "stepped"
    End Sub
End Class
Set b = New Bag
b.Global = 1
b.Default = 2
Check b.Global + b.Default = 3, "members called Global and Default"
Check b.Property = "the property", "a Property Get called Property"
b.Step
Check b.Global = "stepped", "a method called Step"
Done
