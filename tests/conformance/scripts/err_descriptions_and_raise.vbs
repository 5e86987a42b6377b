' Err: descriptions hold the language's text alone; a later Raise keeps what it leaves
' out; numbers the language knows from Windows.
Dim x, d
Function Caught()
    Caught = Err.Number & " " & Err.Description
    Err.Clear
End Function
On Error Resume Next
x = notAnObject.Member
Check Caught() = "424 Object required", "error 424 names no variable in its text"
Set d = CreateObject("Scripting.Dictionary")
d.NoSuchMember
Check Caught() = "438 Object doesn't support this property or method", "error 438 names no member in its text"
x = UBound(5)
Check Caught() = "13 Type mismatch", "UBound of a number"
x = "text" * 2
Check Caught() = "13 Type mismatch", "arithmetic on text"
x = Array(1) & "x"
Check Caught() = "13 Type mismatch", "an array in a concatenation"
x = CLng(Array(1))
Check Caught() = "13 Type mismatch", "an array converted to a number"
Err.Raise 1000, "First", "first text"
Err.Raise 1001
Check Err.Number = 1001, "a second Raise sets its number"
Check Err.Source = "First" And Err.Description = "first text", "and keeps the fields it leaves out"
Err.Clear
Err.Raise 5000
Check Caught() = "5000 Unknown runtime error", "a number the language does not know"
Err.Raise &H8007000E
Check Caught() = "7 Out of memory", "Windows' out of memory is error 7"
d.Add "k", 1
d.Add "k", 2
Check Err.Number = 457, "an object's own error keeps its number"
Err.Clear
Done
