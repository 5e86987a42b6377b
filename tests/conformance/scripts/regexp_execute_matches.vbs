' RegExp.Execute: the Matches collection and each Match.
Dim re, matches, m
Set re = New RegExp
re.Pattern = "\d+"
re.Global = True
Set matches = re.Execute("a1 b22 c333")
Check matches.Count = 3, "three matches"
Check matches(0).Value = "1", "first match by index"
Check matches.Item(2).Value = "333", "Item"
Check matches(1).FirstIndex = 4, "FirstIndex is 0-based"
Check matches(1).Length = 2, "Length"
Check matches(2) = "333", "a Match's default member is its Value"
re.Global = False
Set matches = re.Execute("a1 b22")
Check matches.Count = 1, "without Global only the first"
Set matches = re.Execute("none")
Check matches.Count = 0, "no match, empty collection"
Done
