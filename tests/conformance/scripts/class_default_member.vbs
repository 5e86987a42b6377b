' Default members of classes: a Default Property Get and a Default Function.
Class Box
    Private value_
    Public Default Property Get Value()
        Value = value_
    End Property
    Public Property Let Value(v)
        value_ = v
    End Property
End Class
Class Adder
    Public Default Function Add(a, b)
        Add = a + b
    End Function
End Class
Dim b, s, summer
Set b = New Box
b.Value = 12
Check b = 12, "comparing an object reads its default property"
s = "value " & b
Check s = "value 12", "concatenation reads the default property"
Check b + 1 = 13, "arithmetic reads the default property"
Set summer = New Adder
Check summer(2, 3) = 5, "calling the object calls its default function"
Done
