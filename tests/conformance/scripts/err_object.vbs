' The Err object: Raise with its arguments, Clear, Number, Description, Source.
On Error Resume Next
Err.Raise 1000, "MySource", "My description"
Check Err.Number = 1000, "Raise sets Number"
Check Err.Source = "MySource", "Raise sets Source"
Check Err.Description = "My description", "Raise sets Description"
Err.Clear
Check Err.Number = 0 And Err.Description = "" And Err.Source = "", "Clear empties every field"
Err.Raise vbObjectError + 1, "App", "custom"
Check Err.Number = vbObjectError + 1, "numbers above vbObjectError"
Check Err.Number = -2147221503, "vbObjectError + 1 as a number"
Err.Clear
Err.Raise 13
Check Err.Number = 13 And Err.Description = "Type mismatch", "Raise of a known number fills in its text"
Err.Clear
Err.Raise 6
Check Err.Description = "Overflow", "the text of error 6"
Err.Clear
Err.Number = 9
Check Err.Number = 9, "Number can be set"
Err.Description = "set by hand"
Check Err.Description = "set by hand", "Description can be set"
Err.Clear
Check Err = 0, "Err's default member is Number"
Err.Raise 11
Check Err = 11, "Err compared directly"
Err.Clear
On Error GoTo 0
Check Err.Number = 0, "no error after Clear"
Done
