' For ... Next counts: bounds and steps of every kind, evaluated once, as numbers.
Dim i, n, s, last
' Runs For i = first To finish Step stp and answers the rounds (at most 1000).
Function Rounds(first, finish, stp)
    Dim k, count
    count = 0
    For k = first To finish Step stp
        count = count + 1
        If count = 1000 Then Exit For
    Next
    Rounds = count
End Function
Check Rounds(1, 3, 1) = 3, "integers counting up"
Check Rounds(1, "3", 1) = 3, "a string end counts as its number"
Check Rounds("1", 3, 1) = 3, "a string start counts as its number"
Check Rounds(1, 3, "1") = 3, "a string step counts as its number"
Check Rounds("10", "1", "-3") = 4, "strings counting down"
Check Rounds(1, "2.5", 1) = 2, "a fractional string end"
Check Rounds(1, 2, 0.5) = 3, "a fractional step"
Check Rounds(0, 1, 0.25) = 5, "quarters"
Check Rounds(1, 0, -0.25) = 5, "a fractional step counting down"
Check Rounds(1.5, 3, 1) = 2, "a fractional start"
Check Rounds(10, 1, -2) = 5, "a negative step"
Check Rounds(-1, -3, -1) = 3, "negative bounds"
Check Rounds(1, 10, -1) = 0, "a negative step from below the end runs no round"
Check Rounds(10, 1, 1) = 0, "a positive step from above the end runs no round"
Check Rounds(3, 3, 1) = 1, "start at the end, counting up"
Check Rounds(3, 3, -1) = 1, "start at the end, counting down"
Check Rounds(1, 3, 0) = 1000, "a zero step never passes the end"
Check Rounds(3, 1, 0) = 0, "a zero step from above the end runs no round"
Check Rounds(Empty, 2, 1) = 3, "an Empty start counts from 0"
Check Rounds(1, Empty, 1) = 0, "an Empty end is 0"
Check Rounds(True, 1, 1) = 3, "True is -1"
Check Rounds(0, 0.3, 0.1) = 3, "tenths add up as doubles do"
Check Rounds(32766, 32768, 1) = 3, "an Integer counter grows into a Long"
n = -1
On Error Resume Next
n = Rounds(1, "ten", 1)
Check Err.Number = 13, "a bound that is no number is a type mismatch"
Check n = -1, "and the loop did not run"
Err.Clear
On Error GoTo 0
For i = 1 To 2 : Next
Check TypeName(i) = "Integer", "integer bounds keep an Integer counter"
For i = 1 To 2 Step 0.5 : Next
Check TypeName(i) = "Double" And i = 2.5, "a fractional step makes it a Double"
n = 0
For i = 1 To 10
    i = i + 2
    n = n + 1
Next
Check n = 4 And i = 13, "the body moves the counter"
n = 0
For i = 1 To 5
    i = 10
    n = n + 1
Next
Check n = 1, "a counter set past the end stops the loop"
s = 1 : n = 0
For i = 1 To 5 Step s
    s = 2
    n = n + 1
Next
Check n = 5, "the step is evaluated once"
last = "3" : n = 0
For i = 1 To last
    last = 10
    n = n + 1
Next
Check n = 3, "a string end is evaluated once"
Done
