' And, Or, Not, Xor, Eqv, Imp: logical on Booleans, bitwise on numbers.
' (Each check starts with its expected value: a statement that begins with a
' parenthesis is a call with a parenthesised first argument, tested elsewhere.)
Check False = (True And False) And True = (True Or False), "And, Or"
Check False = (Not True), "Not"
Check False = (True Xor True) And True = (True Xor False), "Xor"
Check True = (True Eqv True) And False = (True Eqv False), "Eqv"
Check False = (True Imp False) And True = (False Imp False), "Imp"
Check 8 = (12 And 10), "bitwise And"
Check 15 = (12 Or 3), "bitwise Or"
Check 6 = (12 Xor 10), "bitwise Xor"
Check -1 = (Not 0) And -6 = (Not 5), "bitwise Not"
Check 1 = (1 Or 2 And 0), "And binds tighter than Or"
Check True = (Not 1 = 2), "comparison binds tighter than Not"
Check 3 = (1 Or 2 Xor 0), "Or and Xor on numbers"
Dim calls
calls = 0
Function Touch(v)
    calls = calls + 1
    Touch = v
End Function
If Touch(False) And Touch(True) Then calls = calls + 100
Check calls = 2, "And evaluates both sides (no short circuit)"
Done
