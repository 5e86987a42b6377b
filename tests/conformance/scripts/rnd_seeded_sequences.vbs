' Rnd and Randomize: the generator's sequence, Rnd(0), a negative argument as a seed and
' the repeatable Rnd(-1) then Randomize n. The numbers are those Windows gives.
Dim s, i, first, again
Function Row(n)
    Dim k, t
    t = ""
    For k = 1 To n
        t = t & Rnd & " "
    Next
    Row = t
End Function
Check CStr(Rnd(0)) = "0.01953125", "Rnd(0) before any Rnd answers the starting seed"
Check Row(3) = "0.7055475 0.533424 0.5795186 ", "the sequence without Randomize"
Check CStr(Rnd(0)) = "0.5795186", "Rnd(0) repeats the last number"
Check TypeName(Rnd) = "Single", "Rnd gives a Single"
Check CStr(Rnd(-1)) = "0.224007" And CStr(Rnd(-1)) = "0.224007", "the same negative argument gives the same number"
Check CStr(Rnd(-2.5)) = "0.3383257" And CStr(Rnd) = "0.7874333", "a negative argument seeds what follows"
s = Rnd(-1)
Randomize 10
first = Row(5)
Check first = "0.1436949 0.200305 0.509906 0.08030951 0.05897933 ", "Rnd(-1) then Randomize 10"
s = Rnd(-1)
Randomize 10
again = Row(5)
Check again = first, "the seeded sequence repeats"
s = Rnd(-1)
Randomize 12345
Check Row(3) = "0.376422 0.8146238 0.7294495 ", "Rnd(-1) then Randomize 12345"
s = Rnd(-1)
Randomize -7
Check Row(2) = "0.5190611 0.4492064 ", "a negative seed for Randomize"
s = Rnd(-1)
Randomize 1.5
Check CStr(Rnd(0)) = "0.2498859", "Rnd(0) after Randomize answers the new seed"
Randomize
For i = 1 To 200
    s = Rnd
    If s < 0 Or s >= 1 Then Check False, "Rnd after Randomize stays in [0, 1)"
Next
Done
