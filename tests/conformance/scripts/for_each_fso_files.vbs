' For Each over a folder's Files and SubFolders through Scripting.FileSystemObject.
Dim fso, base, folder, f, names, count, sub_
Set fso = CreateObject("Scripting.FileSystemObject")
base = fso.BuildPath(fso.GetSpecialFolder(2), "tevrin_conformance_" & Int(Timer * 100))
If fso.FolderExists(base) Then fso.DeleteFolder base, True
fso.CreateFolder base
fso.CreateTextFile(fso.BuildPath(base, "one.txt"), True).Write "1"
fso.CreateTextFile(fso.BuildPath(base, "two.txt"), True).Write "22"
fso.CreateFolder fso.BuildPath(base, "sub")
Set folder = fso.GetFolder(base)
count = 0
names = ""
For Each f In folder.Files
    count = count + 1
    names = names & "|" & LCase(f.Name)
Next
Check count = 2, "two files"
Check InStr(names, "|one.txt") > 0 And InStr(names, "|two.txt") > 0, "the files by name"
Check folder.Files.Count = 2, "Files.Count"
count = 0
For Each sub_ In folder.SubFolders
    count = count + 1
    Check LCase(sub_.Name) = "sub", "the subfolder's name"
Next
Check count = 1, "one subfolder"
Check fso.GetFile(fso.BuildPath(base, "two.txt")).Size = 2, "a file's size"
fso.DeleteFolder base, True
Check Not fso.FolderExists(base), "the folder was removed"
Done
