' Me: the instance itself, passed on, compared, chained.
Class Node
    Public Value, NextNode
    Public Function SetValue(v)
        Value = v
        Set SetValue = Me
    End Function
    Public Function IsSame(other)
        IsSame = (other Is Me)
    End Function
    Public Sub Link(other)
        Set NextNode = other
        other.Back Me
    End Sub
    Public Back_
    Public Sub Back(node)
        Set Back_ = node
    End Sub
    Public Function Twice()
        Twice = Me.Value * 2
    End Function
End Class
Dim a, b
Set a = New Node
Set b = a.SetValue(5)
Check b Is a, "a method returns Me"
Check a.IsSame(a) And Not a.IsSame(New Node), "Me compared with Is"
Check a.SetValue(6).Value = 6, "chained calls through Me"
Check a.Twice() = 12, "members reached through Me"
Set b = New Node
a.Link b
Check b.Back_ Is a, "Me passed to another object"
Done
