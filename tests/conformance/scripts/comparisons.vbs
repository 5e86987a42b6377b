' Comparison of numbers, strings, mixed subtypes, Empty and Booleans.
Dim n, s, e, a, b
n = 5 : s = "5"
Check 1 < 2 And 2 <= 2 And 3 > 2 And 3 >= 3 And 1 <> 2, "numbers"
Check "abc" < "abd" And "B" < "a" And "a" < "b", "strings compare binary by default"
Check "abc" < "abcd", "a prefix is less"
Check Not (n = s), "a number variable never equals a string variable"
Check n < s, "a number variable is less than a string variable"
Check e = 0 And e = "", "Empty equals 0 and the empty string"
Check Not (e = 1), "Empty is not 1"
a = 1 : b = 1.0
Check a = b, "Integer and Double with one value are equal"
Check True = -1 And False = 0, "True is -1, False is 0"
Check CLng(True) = -1, "CLng of True"
Check True = (1 = 1), "a comparison gives a Boolean"
Check TypeName(1 < 2) = "Boolean", "the subtype of a comparison"
Check StrComp("abc", "ABC", vbTextCompare) = 0, "StrComp with text compare"
Check StrComp("abc", "ABC") = 1 And StrComp("A", "b") = -1, "StrComp binary"
Check #1/1/2000# < #1/2/2000#, "dates"
Done
