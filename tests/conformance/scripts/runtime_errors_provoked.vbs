' Run-time errors that statements provoke, with their numbers and texts.
Function Caught()
    Caught = Err.Number & " " & Err.Description
    Err.Clear
End Function
Dim x, a(1), e, one
one = Array(1)
On Error Resume Next
a(5) = 1
Check Caught() = "9 Subscript out of range", "index out of range"
x = one(3)
Check Caught() = "9 Subscript out of range", "index into Array()"
x = CLng("abc")
Check Caught() = "13 Type mismatch", "conversion of text to a number"
x = "a" - 1
Check Caught() = "13 Type mismatch", "arithmetic on text"
x = 1 / 0
Check Caught() = "11 Division by zero", "division by zero"
x = 5 \ 0
Check Caught() = "11 Division by zero", "integer division by zero"
x = 5 Mod 0
Check Caught() = "11 Division by zero", "Mod by zero"
x = Mid("abc", 0)
Check Caught() = "5 Invalid procedure call or argument", "Mid from 0"
x = Left("abc", -1)
Check Caught() = "5 Invalid procedure call or argument", "Left with a negative length"
x = Chr(-1)
Check Caught() = "5 Invalid procedure call or argument", "Chr of a negative code"
x = CLng(Null)
Check Caught() = "94 Invalid use of Null", "conversion of Null"
x = CInt(40000)
Check Caught() = "6 Overflow", "CInt past 32767"
x = CByte(256)
Check Caught() = "6 Overflow", "CByte past 255"
e.Foo
Check Caught() = "424 Object required", "a member of Empty"
Set x = CreateObject("No.Such.Class")
Check Caught() = "429 ActiveX component can't create object", "an unknown ProgID"
x = 1
Check Caught() = "0 ", "no error"
On Error GoTo 0
Done
