' Null goes through arithmetic, concatenation skips it, comparisons give Null.
Dim n, r
n = Null
Check IsNull(n + 1), "Null + 1 is Null"
Check IsNull(n * 0), "Null * 0 is Null"
Check IsNull(-n), "-Null is Null"
Check "a" & n & "b" = "ab", "& treats Null as an empty string"
Check IsNull(n & n), "Null & Null is Null"
Check IsNull(n = 1), "Null = 1 is Null"
Check IsNull(n = n), "Null = Null is Null"
Check IsNull(Not n), "Not Null is Null"
Check False = (n And False), "Null And False is False"
Check IsNull(n And True), "Null And True is Null"
Check True = (n Or True), "Null Or True is True"
Check IsNull(n Or False), "Null Or False is Null"
r = "unset"
If n Then r = "then" Else r = "else"
Check r = "else", "If Null takes the Else branch"
Check IsNull(Len(n)), "Len(Null) is Null"
Check IsNull(UCase(n)), "string functions give Null for Null"
Check VarType(n) = vbNull, "VarType(Null)"
On Error Resume Next
r = CStr(n)
Check Err.Number = 94, "CStr(Null) is error 94"
Err.Clear
On Error GoTo 0
Done
