' VarType and TypeName of every subtype.
Dim v, arr(1)
Check VarType(Empty) = vbEmpty And TypeName(Empty) = "Empty", "Empty"
Check VarType(Null) = vbNull And TypeName(Null) = "Null", "Null"
Check VarType(1) = vbInteger And TypeName(1) = "Integer", "a small literal is an Integer"
Check VarType(100000) = vbLong And TypeName(100000) = "Long", "a large literal is a Long"
Check VarType(1.5) = vbDouble And TypeName(1.5) = "Double", "a literal with a point is a Double"
Check VarType(CSng(1.5)) = vbSingle And TypeName(CSng(1.5)) = "Single", "Single"
Check VarType(CCur(1.5)) = vbCurrency And TypeName(CCur(1.5)) = "Currency", "Currency"
Check VarType(#1/2/2003#) = vbDate And TypeName(#1/2/2003#) = "Date", "a date literal"
Check VarType("s") = vbString And TypeName("s") = "String", "String"
Check VarType(True) = vbBoolean And TypeName(True) = "Boolean", "Boolean"
Check VarType(CByte(1)) = vbByte And TypeName(CByte(1)) = "Byte", "Byte"
Set v = CreateObject("Scripting.Dictionary")
Check VarType(v) = vbObject And IsObject(v), "an object"
Check VarType(arr) = vbArray + vbVariant And TypeName(arr) = "Variant()", "an array"
Check vbEmpty = 0 And vbNull = 1 And vbInteger = 2 And vbLong = 3 And vbSingle = 4, "constants 0 to 4"
Check vbDouble = 5 And vbCurrency = 6 And vbDate = 7 And vbString = 8 And vbObject = 9, "constants 5 to 9"
Check vbError = 10 And vbBoolean = 11 And vbVariant = 12 And vbDataObject = 13 And vbByte = 17 And vbArray = 8192, "the other constants"
Check TypeName(CLng(1)) = "Long" And TypeName(CInt(1.6)) = "Integer" And TypeName(CDbl(1)) = "Double", "conversions set the subtype"
Done
