' Built-ins given arguments they cannot take raise the reference's errors: Join, Mid
' and the functions with ranges.
Dim x, m(1, 1)
Class Plain
    Public Value
End Class
Function ErrorOf(code)
    On Error Resume Next
    Execute code
    ErrorOf = Err.Number
    Err.Clear
End Function
Check ErrorOf("x = Join(Array(1, Null, 2))") = 94, "Join of a Null item"
Check ErrorOf("x = Join(m)") = 5, "Join of a two-dimensional array"
Check ErrorOf("x = Join(5)") = 13, "Join of a number"
Check ErrorOf("x = Join(Null)") = 94, "Join of Null"
Check ErrorOf("x = Join(New Plain)") = 438, "Join of an object without a default member"
Check Join(Array(1, Empty, "c"), ",") = "1,,c", "Empty items join as nothing"
Check ErrorOf("x = Mid(""abc"", 0)") = 5, "Mid from 0"
Check ErrorOf("x = Mid(""abc"", -1)") = 5, "Mid from a negative start"
Check ErrorOf("x = Mid(""abc"", 1, -1)") = 5, "Mid with a negative length"
Check ErrorOf("x = Mid(""abc"")") = 450, "Mid without a start"
Check ErrorOf("x = Mid(""abc"", Null)") = 94, "Mid from Null"
Check Mid("abc", 1, 0) = "" And Mid("abc", 5) = "" And Mid("abc", 2) = "bc", "Mid's empty and short results"
Check IsNull(Mid(Null, 1)), "Mid of Null is Null"
Check ErrorOf("x = Chr(-1)") = 5 And ErrorOf("x = Chr(70000)") = 5, "Chr out of range"
Check ErrorOf("x = Left(""abc"", -1)") = 5 And ErrorOf("x = Right(""abc"", -1)") = 5, "Left and Right with a negative length"
Check ErrorOf("x = Space(-1)") = 5 And ErrorOf("x = String(-1, ""a"")") = 5, "Space and String with a negative count"
Check ErrorOf("x = InStr(0, ""abc"", ""b"")") = 5, "InStr from 0"
Check ErrorOf("x = Sqr(-1)") = 5 And ErrorOf("x = Log(0)") = 5, "Sqr and Log outside their domains"
Check ErrorOf("x = Split(""a b"", "" "", -2)") = 5, "Split with a count below -1"
Check ErrorOf("x = Array(1, 2)(5)") = 9, "an index beyond the array"
Check ErrorOf("x = DateSerial(10000, 1, 1)") = 5 And ErrorOf("x = DateSerial(9999, 13, 1)") = 5, "DateSerial beyond year 9999"
Check Year(DateSerial(9999, 12, 31)) = 9999, "DateSerial up to the last day"
Check ErrorOf("x = CInt(40000)") = 6 And ErrorOf("x = CByte(256)") = 6 And ErrorOf("x = CByte(-1)") = 6, "conversions that overflow"
Check ErrorOf("x = Asc("""")") = 5, "Asc of the empty string"
Check ErrorOf("x = Hex(1E+20)") = 6, "Hex of a number beyond a Long"
Check ErrorOf("x = MonthName(13)") = 5 And ErrorOf("x = WeekdayName(8)") = 5, "names beyond the calendar"
Done
