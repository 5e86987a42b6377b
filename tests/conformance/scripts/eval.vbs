' Eval evaluates an expression; = in Eval compares.
Dim x, r
x = 4
Check Eval("x * 2 + 1") = 9, "Eval of arithmetic with a variable"
Check Eval("Len(""abc"")") = 3, "Eval calls functions"
r = Eval("x = 4")
Check r = True, "= in Eval compares"
Check x = 4, "Eval did not assign"
Check Eval("x = 5") = False, "a false comparison"
Function Square(v)
    Square = v * v
End Function
Check Eval("Square(x)") = 16, "Eval calls the script's functions"
Function InsideScope()
    Dim local
    local = 7
    InsideScope = Eval("local + 1")
End Function
Check InsideScope() = 8, "Eval inside a procedure sees its locals"
Check TypeName(Eval("""text""")) = "String", "Eval of a string literal"
On Error Resume Next
r = Eval("1 +")
Check Err.Number <> 0, "a malformed expression is an error"
Err.Clear
On Error GoTo 0
Done
