' With blocks, nested, on objects of classes and of COM.
Class Point
    Public X, Y
    Public Inner
End Class
Dim p, d
Set p = New Point
With p
    .X = 1
    .Y = 2
    Set .Inner = New Point
    With .Inner
        .X = 10
        .Y = p.X + 20
    End With
    .X = .X + 100
End With
Check p.X = 101 And p.Y = 2, "members set inside With"
Check p.Inner.X = 10 And p.Inner.Y = 21, "nested With on a member"
Set d = CreateObject("Scripting.Dictionary")
With d
    .Add "k", "v"
    .Add "n", 5
    Check .Count = 2, "calls and reads inside With on a COM object"
End With
Check d("k") = "v", "the COM object took the calls"
With New Point
    .X = 7
    Check .X = 7, "With on New"
End With
Done
