' Round of a Boolean, Singles compared with Doubles and printed, and the numeric
' conversions, which cannot be called as statements.
Dim x
Check TypeName(Round(True)) = "Boolean" And Round(True) = True, "Round of True stays True"
Check TypeName(Round(False, 2)) = "Boolean", "Round of False with places"
Check TypeName(Round(CByte(3))) = "Byte", "Round keeps a Byte"
Check Round(2.5) = 2 And Round(3.5) = 4 And Round(-2.5) = -2, "Round halves to even"
Check Round(1.2345, 2) = 1.23, "Round to places"
Check CSng(0.001 * 0.001) = 0.000001, "a Single equals the Double literal it rounds from"
Check 0.000001 = CSng(0.001 * 0.001), "on either side"
Check CSng(0.1) = 0.1 And Not (CSng(0.1) < 0.1) And Not (CSng(0.1) <> 0.1), "CSng(0.1) against 0.1"
Check CSng(1.5) < 2.5 And CSng(3) > 2.75, "Singles still order"
Check CStr(CSng(0.001 * 0.001)) = "1E-06", "a Single prints with seven digits"
Check CStr(CSng(1 / 3)) = "0.3333333", "one third as a Single"
Check CStr(CSng(123456789)) = "1.234568E+08", "a large Single"
Check CStr(CSng(0.1) + 0.2) = "0.300000001490116", "a Single plus a Double is a Double"
Check TypeName(CSng(1.1) * CSng(1.1)) = "Single" And CStr(CSng(1.1) * CSng(1.1)) = "1.21", "a Single times a Single"
On Error Resume Next
Call CInt(5)
Check Err.Number = 458, "Call CInt(5) raises 458"
Err.Clear
CLng 5
Check Err.Number = 458, "CLng 5 as a statement raises 458"
Err.Clear
Call CDbl(1) : x = Err.Number : Err.Clear
Call CSng(1) : x = x & " " & Err.Number : Err.Clear
Call CByte(1) : x = x & " " & Err.Number : Err.Clear
Call CCur(1) : x = x & " " & Err.Number : Err.Clear
Call CDate(1) : x = x & " " & Err.Number : Err.Clear
Check x = "458 458 458 458 458", "the other numeric conversions as statements"
Call CStr(5)
Call CBool(1)
Call Len("abc")
Check Err.Number = 0, "CStr, CBool and other functions may stand as statements"
Done
