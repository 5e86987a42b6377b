' Integer arithmetic widens to Long and Double rather than overflowing.
Dim i, l, r
i = 32767
r = i + 1
Check r = 32768 And TypeName(r) = "Long", "Integer + Integer past 32767 is a Long"
Check TypeName(i + 0) = "Integer", "Integer + Integer that fits stays an Integer"
l = 2147483647
r = l + 1
Check r = 2147483648 And TypeName(r) = "Double", "Long past its range is a Double"
r = 200 * 200
Check r = 40000 And TypeName(r) = "Long", "a product past 32767 is a Long"
r = CByte(200) + CByte(100)
Check r = 300 And TypeName(r) = "Integer", "Byte + Byte past 255 is an Integer"
r = CByte(2) + CByte(3)
Check TypeName(r) = "Byte", "Byte + Byte that fits stays a Byte"
r = 10 / 4
Check r = 2.5 And TypeName(r) = "Double", "/ always gives a Double"
r = 10 / 5
Check TypeName(r) = "Double", "/ gives a Double even when exact"
r = 10 \ 4
Check r = 2 And TypeName(r) = "Integer", "\ of Integers is an Integer"
r = 1 + 0.5
Check TypeName(r) = "Double", "Integer + Double is a Double"
r = CCur(1) + 1
Check TypeName(r) = "Currency", "Currency + Integer is Currency"
r = -32768
Check TypeName(r) = "Integer" Or TypeName(r) = "Long", "negative literal"
r = 2 ^ 2
Check r = 4 And TypeName(r) = "Double", "^ gives a Double"
On Error Resume Next
r = CInt(32768)
Check Err.Number = 6, "CInt of 32768 overflows"
Err.Clear
On Error GoTo 0
Done
