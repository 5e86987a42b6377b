' Abs, Sgn, Sqr, Exp, Log, Sin, Cos, Tan, Atn, Round, Rnd, Randomize.
Function Near(a, b)
    Near = Abs(a - b) < 0.000001
End Function
Check Abs(-3) = 3 And Abs(3.5) = 3.5 And IsNull(Abs(Null)), "Abs"
Check Sgn(-7) = -1 And Sgn(0) = 0 And Sgn(2.5) = 1, "Sgn"
Check Sqr(16) = 4 And Near(Sqr(2), 1.414214), "Sqr"
Check Near(Exp(1), 2.718282) And Exp(0) = 1, "Exp"
Check Near(Log(Exp(2)), 2) And Log(1) = 0, "Log is natural"
Check Near(Sin(0), 0) And Near(Cos(0), 1) And Near(Tan(0), 0), "Sin, Cos, Tan"
Check Near(Atn(1) * 4, 3.141593), "Atn"
Check Round(2.5) = 2 And Round(3.5) = 4 And Round(-2.5) = -2, "Round half to even"
Check Near(Round(1.2345, 2), 1.23) And Near(Round(7.891, 1), 7.9), "Round to places"
Dim r, i, ok
Randomize 42
ok = True
For i = 1 To 100
    r = Rnd
    If r < 0 Or r >= 1 Then ok = False
Next
Check ok, "Rnd is in [0, 1)"
Randomize
Check Rnd() < 1, "Rnd with parentheses"
On Error Resume Next
r = Sqr(-1)
Check Err.Number = 5, "Sqr of a negative number is error 5"
Err.Clear
r = Log(0)
Check Err.Number = 5, "Log of 0 is error 5"
Err.Clear
On Error GoTo 0
Done
