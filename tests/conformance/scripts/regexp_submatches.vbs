' SubMatches of a Match.
Dim re, m, sm
Set re = New RegExp
re.Pattern = "(\w+)=(\d+)(;)?"
re.Global = True
Set m = re.Execute("a=1;bb=22")
Check m.Count = 2, "two matches"
Set sm = m(0).SubMatches
Check sm.Count = 3, "three groups"
Check sm(0) = "a" And sm(1) = "1" And sm(2) = ";", "group values"
Check m(1).SubMatches(0) = "bb" And m(1).SubMatches(1) = "22", "second match's groups"
Check IsEmpty(m(1).SubMatches(2)), "a group that took no part is Empty"
Done
