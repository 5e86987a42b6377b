' For Each over a RegExp's Matches and a Match's SubMatches.
Dim re, m, s, sub_
Set re = New RegExp
re.Pattern = "(\w)(\d)"
re.Global = True
s = ""
For Each m In re.Execute("a1 b2 c3")
    s = s & m.Value & "@" & m.FirstIndex & ";"
Next
Check s = "a1@0;b2@3;c3@6;", "For Each over Matches"
s = ""
For Each m In re.Execute("x9")
    For Each sub_ In m.SubMatches
        s = s & "[" & sub_ & "]"
    Next
Next
Check s = "[x][9]", "For Each over SubMatches"
Done
