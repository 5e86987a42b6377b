' IsArray, IsDate, IsEmpty, IsNull, IsNumeric, IsObject.
Dim e, arr(1)
Check IsEmpty(e) And Not IsEmpty(0) And Not IsEmpty(""), "IsEmpty"
Check IsNull(Null) And Not IsNull(e) And Not IsNull(""), "IsNull"
Check IsNumeric(12) And IsNumeric("12") And IsNumeric("-1.5") And IsNumeric(" 7 "), "IsNumeric of numbers and numeric text"
Check IsNumeric("1e3"), "IsNumeric of an exponent"
Check Not IsNumeric("abc") And Not IsNumeric("") And Not IsNumeric(Null), "IsNumeric of other text and Null"
Check IsNumeric(Empty), "IsNumeric(Empty) is True"
Check IsArray(arr) And IsArray(Array()) And Not IsArray(1), "IsArray"
Check IsDate(#1/1/2003#) And IsDate("1/2/2003") And Not IsDate("31/31/2003"), "IsDate"
Check IsObject(Nothing) And IsObject(CreateObject("Scripting.Dictionary")) And Not IsObject(1), "IsObject"
Done
