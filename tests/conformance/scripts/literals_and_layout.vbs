' Literals, comments, line continuation and statement separators.
Dim s, n, total
s = "She said ""hi"""
Check Len(s) = 13 And Mid(s, 10, 1) = """", "doubled quotes in a string"
Check 1.5E3 = 1500 And .5 = 0.5 And 1E-2 = 0.01, "number forms"
Check &H1F = 31 And &O10 = 8, "hex and octal"
Check Abs(CDbl(#1/2/2003 10:30:00 AM#) - (37623 + 10.5 / 24)) < 0.000001, "a date and time literal"
total = 1 + _
        2 + _
        3
Check total = 6, "line continuation"
n = 1 : n = n + 1 : n = n * 10 ' a comment after statements
Check n = 20, "colons and a trailing comment"
Rem a whole-line remark
n = 5 : Rem a remark after a colon
Check n = 5, "Rem"
Check "" = vbNullString And Len("") = 0, "the empty string"
Check UCase("mIxEd") = "MIXED", "keywords and names in any case"
IF n = 5 THEN
    n = 6
END IF
Check n = 6, "keywords in upper case"
Done
