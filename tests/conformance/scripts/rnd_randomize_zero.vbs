' Randomize 0 in a fresh run clears the generator's seed: the numbers published for
' Windows' VBScript follow.
Randomize 0
Check CStr(Rnd) = "0.7641413", "the first number after Randomize 0"
Check CStr(Rnd) = "0.3576428", "the second"
Done
