' A type mismatch in an expression is error 13 whatever raised it.
Class NoDefault
    Public Value
End Class
Class TextDefault
    Public Default Property Get Value()
        Value = "text"
    End Property
End Class
Class Faulty
    Public Property Get Bad()
        Bad = "a" * 2
    End Property
End Class
Dim t, faults, o, x, s
Set t = New TextDefault
Set faults = New Faulty
Sub Expect(number, what)
    Check Err.Number = number, what & " gives " & number & ", not " & Err.Number
    Err.Clear
End Sub
On Error Resume Next
x = "a" + 1 : Expect 13, "x = ""a"" + 1"
x = "a" * 2 : Expect 13, "x = ""a"" * 2"
x = 1 - "a" : Expect 13, "x = 1 - ""a"""
x = "a" / 1 : Expect 13, "x = ""a"" / 1"
x = "a" \ 1 : Expect 13, "x = ""a"" \ 1"
x = "a" Mod 0 : Expect 13, "x = ""a"" Mod 0"
x = "a" ^ 2 : Expect 13, "x = ""a"" ^ 2"
x = -"x" : Expect 13, "x = -""x"""
x = Not "x" : Expect 13, "x = Not ""x"""
x = "x" And 1 : Expect 13, "x = ""x"" And 1"
x = CLng("x") : Expect 13, "x = CLng(""x"")"
x = CDate("x") : Expect 13, "x = CDate(""x"")"
x = Array(1) + 1 : Expect 13, "x = Array(1) + 1"
x = Array(1) & "" : Expect 13, "x = Array(1) & """""
x = (Array(1) = 1) : Expect 13, "x = (Array(1) = 1)"
x = -Array(1) : Expect 13, "x = -Array(1)"
x = t + 1 : Expect 13, "x = t + 1"
x = faults.Bad : Expect 13, "x = faults.Bad"
x = #1/1/2000# + "x" : Expect 13, "x = #1/1/2000# + ""x"""
x = True + "x" : Expect 13, "x = True + ""x"""
If "x" Then x = 1
Expect 13, "If ""x"" Then x = 1"
x = Abs(Array(1)) : Expect 13, "x = Abs(Array(1))"
s = "abc" : x = s(0) : Expect 13, "s = ""abc"" : x = s(0)"
Set o = New NoDefault
x = o + 1 : Expect 438, "an object without a default member in arithmetic"
x = Nothing + 1 : Expect 91, "Nothing in arithmetic"
Done
