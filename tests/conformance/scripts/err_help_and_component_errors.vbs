' Err.HelpFile and Err.HelpContext, and the errors of a component (the file system
' object) as the language numbers them.
Dim fso, f, folder
On Error Resume Next
Err.Raise 1000, "Mine", "my text", "mine.chm", 42
Check Err.HelpFile = "mine.chm" And Err.HelpContext = 42, "Raise sets the help file and context"
Err.Raise 1001
Check Err.Number = 1001 And Err.HelpFile = "mine.chm" And Err.HelpContext = 42, "a second Raise keeps them"
Err.HelpFile = "other.chm"
Err.HelpContext = 7
Check Err.HelpFile = "other.chm" And Err.HelpContext = 7, "both can be assigned"
Err.Clear
Check Err.HelpFile = "" And Err.HelpContext = 0, "Clear empties them"
Set fso = CreateObject("Scripting.FileSystemObject")
folder = fso.GetSpecialFolder(2)
Set f = fso.OpenTextFile(fso.BuildPath(folder, "no such file 7f3a.txt"))
Check Err.Number = 53 And Err.Description = "File not found", "opening a missing file"
Err.Clear
Set f = fso.OpenTextFile(fso.BuildPath(folder, "no such folder 7f3a\file.txt"))
Check Err.Number = 76 And Err.Description = "Path not found", "opening a file in a missing folder"
Err.Clear
Done
