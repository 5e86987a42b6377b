' For Each over a Dictionary (its keys) and over its Keys and Items arrays.
Dim d, k, s, v, total
Set d = CreateObject("Scripting.Dictionary")
d.Add "x", 1
d.Add "y", 2
d.Add "z", 3
s = ""
For Each k In d
    s = s & k
Next
Check s = "xyz", "For Each over a Dictionary visits its keys"
s = ""
For Each k In d.Keys
    s = s & k & "=" & d(k) & ";"
Next
Check s = "x=1;y=2;z=3;", "For Each over Keys"
total = 0
For Each v In d.Items
    total = total + v
Next
Check total = 6, "For Each over Items"
s = ""
For Each k In CreateObject("Scripting.Dictionary")
    s = "ran"
Next
Check s = "", "For Each over an empty Dictionary runs no round"
Done
