' RegExp: Pattern, IgnoreCase, Global, Test and Replace.
Dim re
Set re = New RegExp
re.Pattern = "^\d{3}-\d{4}$"
Check re.Test("555-1234"), "Test matches"
Check Not re.Test("5551234"), "Test fails"
re.Pattern = "cat"
Check Not re.Test("CAT"), "case matters by default"
re.IgnoreCase = True
Check re.Test("CAT"), "IgnoreCase"
re.IgnoreCase = False
Check re.Replace("cat cat", "dog") = "dog cat", "Replace without Global replaces the first"
re.Global = True
Check re.Replace("cat cat", "dog") = "dog dog", "Replace with Global replaces all"
re.Pattern = "(\w+)@(\w+)"
Check re.Replace("me@host", "$2 at $1") = "host at me", "Replace with groups"
re.Pattern = "\s+"
Check re.Replace("a  b" & vbTab & "c", " ") = "a b c", "character classes"
re.Pattern = "^b"
re.Multiline = False
Check Not re.Test("a" & vbLf & "b"), "^ is the start of the text"
re.Multiline = True
Check re.Test("a" & vbLf & "b"), "Multiline: ^ starts every line"
Check re.Pattern = "^b" And re.Global And re.Multiline, "properties read back"
Check TypeName(re) = "IRegExp2", "TypeName of a RegExp"
Done
