' Len, Left, Right, Mid, InStr, InStrRev, LCase, UCase, Trim.
Dim s
s = "Hello, World"
Check Len(s) = 12, "Len"
Check Left(s, 5) = "Hello" And Left(s, 0) = "" And Left(s, 100) = s, "Left"
Check Right(s, 5) = "World" And Right(s, 100) = s, "Right"
Check Mid(s, 8) = "World" And Mid(s, 8, 3) = "Wor" And Mid(s, 100) = "", "Mid"
Check InStr(s, "o") = 5 And InStr(6, s, "o") = 9, "InStr with and without a start"
Check InStr(s, "xyz") = 0 And InStr(s, "") = 1, "InStr not found and empty"
Check InStr(1, s, "WORLD", vbTextCompare) = 8 And InStr(1, s, "WORLD") = 0, "InStr compare modes"
Check InStrRev(s, "o") = 9 And InStrRev(s, "o", 8) = 5, "InStrRev"
Check LCase(s) = "hello, world" And UCase(s) = "HELLO, WORLD", "LCase, UCase"
Check Trim("  a b  ") = "a b" And LTrim("  a ") = "a " And RTrim(" a  ") = " a", "Trim, LTrim, RTrim"
Check Len(123) = 3, "Len of a number counts its text"
Check InStr(Null, "a") & "" = "", "InStr of Null is Null"
Done
