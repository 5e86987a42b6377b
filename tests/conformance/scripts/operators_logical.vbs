' And, Or, Not, Xor, Eqv, Imp: logical on Booleans, bitwise on numbers.
Check (True And False) = False And (True Or False) = True, "And, Or"
Check (Not True) = False, "Not"
Check (True Xor True) = False And (True Xor False) = True, "Xor"
Check (True Eqv True) = True And (True Eqv False) = False, "Eqv"
Check (True Imp False) = False And (False Imp False) = True, "Imp"
Check (12 And 10) = 8, "bitwise And"
Check (12 Or 3) = 15, "bitwise Or"
Check (12 Xor 10) = 6, "bitwise Xor"
Check (Not 0) = -1 And (Not 5) = -6, "bitwise Not"
Check (1 Or 2 And 0) = 1, "And binds tighter than Or"
Check (Not 1 = 2) = True, "comparison binds tighter than Not"
Dim calls
calls = 0
Function Touch(v)
    calls = calls + 1
    Touch = v
End Function
If Touch(False) And Touch(True) Then calls = calls + 100
Check calls = 2, "And evaluates both sides (no short circuit)"
Done
