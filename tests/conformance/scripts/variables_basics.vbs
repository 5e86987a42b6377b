' Dim, assignment, Empty as the first value, names that ignore case.
Dim a, b, c
Check IsEmpty(a), "a new variable is Empty"
Check VarType(a) = 0, "VarType of a new variable is vbEmpty"
a = 5
Check A = 5, "names ignore case"
b = "text" : c = a + 1
Check b = "text" And c = 6, "a colon separates statements"
undeclared = 7
Check undeclared = 7, "without Option Explicit an assignment declares the name"
Check IsEmpty(neverAssigned), "an unknown name reads as Empty"
Dim x, y
x = 1 : y = x : y = 2
Check x = 1, "assignment copies the value"
Dim longName_With_Underscores2
longName_With_Underscores2 = "ok"
Check longName_With_Underscores2 = "ok", "names with underscores and digits"
Done
