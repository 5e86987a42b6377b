' The texts of the run-time error numbers, as Err.Raise fills them in.
Function TextOf(number)
    On Error Resume Next
    Err.Raise number
    TextOf = Err.Description
End Function
Function SourceOf(number)
    On Error Resume Next
    Err.Raise number
    SourceOf = Err.Source
End Function
Check TextOf(5) = "Invalid procedure call or argument", "5"
Check TextOf(6) = "Overflow", "6"
Check LCase(TextOf(7)) = "out of memory", "7"
Check TextOf(9) = "Subscript out of range", "9"
Check TextOf(10) = "This array is fixed or temporarily locked", "10"
Check TextOf(11) = "Division by zero", "11"
Check TextOf(13) = "Type mismatch", "13"
Check TextOf(14) = "Out of string space", "14"
Check TextOf(28) = "Out of stack space", "28"
Check TextOf(35) = "Sub or function not defined", "35"
Check TextOf(91) = "Object variable not set", "91"
Check TextOf(92) = "For loop not initialized", "92"
Check TextOf(94) = "Invalid use of Null", "94"
Check TextOf(424) = "Object required", "424"
Check TextOf(429) = "ActiveX component can't create object", "429"
Check TextOf(438) = "Object doesn't support this property or method", "438"
Check TextOf(450) = "Wrong number of arguments or invalid property assignment", "450"
Check TextOf(451) = "Object not a collection", "451"
Check TextOf(500) = "Variable is undefined", "500"
Check TextOf(501) = "Illegal assignment", "501"
Check TextOf(505) = "Invalid or unqualified reference", "505"
Check TextOf(506) = "Class not defined", "506"
Check SourceOf(9) = "Microsoft VBScript runtime error", "the source of a run-time error"
Done
