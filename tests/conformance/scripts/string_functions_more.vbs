' Replace, Space, String, StrReverse, StrComp, Asc, Chr, AscW, ChrW, LCase of non-letters.
Check Replace("a-b-c", "-", "+") = "a+b+c", "Replace all"
Check Replace("a-b-c", "-", "+", 1, 1) = "a+b-c", "Replace with a count"
Check Replace("a-b-c", "-", "+", 3) = "b+c", "Replace from a start drops what is before"
Check Replace("aAa", "a", "x", 1, -1, vbTextCompare) = "xxx", "Replace ignoring case"
Check Replace("abc", "", "x") = "abc", "replacing an empty string changes nothing"
Check Space(3) = "   " And Space(0) = "", "Space"
Check String(3, "x") = "xxx" And String(2, "yz") = "yy" And String(2, 65) = "AA", "String"
Check StrReverse("abc") = "cba" And StrReverse("") = "", "StrReverse"
Check Asc("A") = 65 And Asc("abc") = 97, "Asc"
Check Chr(65) = "A" And Chr(9) = vbTab, "Chr"
Check AscW("A") = 65 And ChrW(8364) = ChrW(&H20AC), "AscW, ChrW"
Check Len(ChrW(8364)) = 1, "a wide character is one character"
Check UCase("a1-b") = "A1-B", "UCase keeps non-letters"
Check LCase(ChrW(196) & "B") = ChrW(228) & "b", "LCase of accented letters"
Check Join(Array("a", "b", "c"), "-") = "a-b-c" And Join(Array("a", "b")) = "a b", "Join"
Check StrComp("a", "a") = 0 And IsNull(StrComp(Null, "a")), "StrComp equal and Null"
Check "ab" & "cd" = "abcd", "concatenation"
On Error Resume Next
Dim x
x = Asc("")
Check Err.Number = 5, "Asc of an empty string is error 5"
Err.Clear
x = Space(-1)
Check Err.Number = 5, "Space of a negative count is error 5"
Err.Clear
On Error GoTo 0
Done
