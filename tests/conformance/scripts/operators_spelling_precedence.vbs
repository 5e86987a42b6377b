' Operator spellings and precedence, and strings that read as Booleans.
Dim r
Check (1 >< 2) = True, ">< is <>"
Check (2 >< 2) = False, ">< of equal values"
Check (1 =< 2) And (2 => 1), "=< and =>"
Check -3 ^ 2 = 9, "a sign binds tighter than ^"
Check -2 ^ 3 = -8, "a negative base"
Check 2 ^ -1 = 0.5, "a negative exponent"
Check 2 * -3 ^ 2 = 18, "a signed base inside a product"
Check 2 ^ 3 ^ 2 = 64, "^ groups from the left"
Check 10 - -2 ^ 2 = 6, "a signed base after a minus"
If "#TRUE#" Then r = "yes" Else r = "no"
Check r = "yes", "#TRUE# is true in a condition"
If "#FALSE#" Then r = "yes" Else r = "no"
Check r = "no", "#FALSE# is false in a condition"
Check CBool("#TRUE#") = True And CBool("#false#") = False, "CBool of #TRUE# and #FALSE#"
Done
