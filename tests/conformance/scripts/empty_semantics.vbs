' Empty as 0 in arithmetic and "" in strings.
Dim e, r
Check e + 1 = 1, "Empty + 1"
Check TypeName(e + 1) = "Integer", "Empty + Integer is an Integer"
Check e & "x" = "x", "Empty & text"
Check Len(e) = 0, "Len(Empty) is 0"
Check IsEmpty(e) And Not IsNull(e), "Empty is not Null"
Check CStr(e) = "" And CLng(e) = 0 And CBool(e) = False, "conversions of Empty"
Check TypeName(e + e) = "Integer", "Empty + Empty is an Integer 0"
e = 5
e = Empty
Check IsEmpty(e), "assigning Empty empties"
Done
