' Split, Join, Filter, UBound, LBound, IsArray.
Dim parts, f
parts = Split("a,b,,c", ",")
Check UBound(parts) = 3 And parts(2) = "" And parts(3) = "c", "Split keeps empty parts"
parts = Split("a b c")
Check UBound(parts) = 2 And parts(1) = "b", "Split on spaces by default"
parts = Split("a,b,c", ",", 2)
Check UBound(parts) = 1 And parts(1) = "b,c", "Split with a limit"
parts = Split("aXbxc", "x", -1, vbTextCompare)
Check UBound(parts) = 2, "Split ignoring case"
parts = Split("", ",")
Check UBound(parts) = -1, "Split of an empty string is an empty array"
parts = Split("abc", ",")
Check UBound(parts) = 0 And parts(0) = "abc", "Split without the separator"
Check Join(Split("1,2,3", ","), "+") = "1+2+3", "Join of a Split"
Check Join(Array()) = "", "Join of an empty array"
f = Filter(Array("apple", "banana", "cherry"), "an")
Check UBound(f) = 0 And f(0) = "banana", "Filter keeps matches"
f = Filter(Array("apple", "banana", "cherry"), "an", False)
Check UBound(f) = 1 And f(1) = "cherry", "Filter keeps the others"
f = Filter(Array("Apple", "apple"), "APPLE", True, vbTextCompare)
Check UBound(f) = 1, "Filter ignoring case"
Check IsArray(parts) And Not IsArray("abc"), "IsArray"
Done
