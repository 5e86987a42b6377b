' Dictionary CompareMode, objects as values, and its errors.
Dim d, o
Set d = CreateObject("Scripting.Dictionary")
d.CompareMode = vbTextCompare
d.Add "Key", 1
Check d.Exists("KEY"), "text compare ignores case"
Set d = CreateObject("Scripting.Dictionary")
d.Add "Key", 1
Check Not d.Exists("KEY"), "binary compare by default"
Set o = CreateObject("Scripting.Dictionary")
Set d("inner") = o
o.Add "x", 1
Check d("inner")("x") = 1, "an object stored as a value"
Check d("inner") Is o, "the same object comes back"
On Error Resume Next
d.Add "Key", 2
Check Err.Number = 457, "adding an existing key is error 457"
Err.Clear
d.Remove "nothing here"
Check Err.Number = 32811, "removing a missing key is error 32811"
Err.Clear
On Error GoTo 0
Check d("Key") = 1, "the failed Add changed nothing"
Done
