' Unsized dynamic arrays, Erase, and the names TypeName gives RegExp's objects.
Dim a(), b, n, re, ms
Check IsArray(a), "Dim a() is an array"
On Error Resume Next
n = UBound(a)
Check Err.Number = 9, "UBound of an unsized array is error 9"
Err.Clear
n = a(0)
Check Err.Number = 9, "an element of an unsized array is error 9"
Err.Clear
On Error GoTo 0
b = a
Check IsArray(b), "an unsized array copies"
n = 0
For Each x In a
    n = n + 1
Next
Check n = 0, "For Each over an unsized array runs no round"
ReDim Preserve a(2)
Check UBound(a) = 2, "ReDim Preserve sizes an unsized array"
Erase a
Check IsArray(a), "Erase leaves an array"
On Error Resume Next
n = UBound(a)
Check Err.Number = 9, "with no elements and no bounds"
Err.Clear
On Error GoTo 0
Set re = New RegExp
re.Pattern = "(a)"
re.Global = True
Set ms = re.Execute("aa")
Check TypeName(re) = "IRegExp2", "TypeName of a RegExp"
Check TypeName(ms) = "IMatchCollection2", "TypeName of its matches"
Check TypeName(ms(0)) = "IMatch2", "TypeName of a match"
Check TypeName(ms(0).SubMatches) = "ISubMatches", "TypeName of the submatches"
Check re.Replace("aa", 7) = "77", "a number as the replacement"
Done
