' Set, Nothing, Is, object identity and object references.
Dim d, e, f, x
Check IsEmpty(d), "a new variable is Empty, not Nothing"
Set d = CreateObject("Scripting.Dictionary")
Set e = d
Check d Is e, "two references to one object are Is-equal"
Set f = CreateObject("Scripting.Dictionary")
Check Not (d Is f), "different objects are not Is-equal"
e.Add "key", 1
Check d.Count = 1, "a change through one reference shows through the other"
Set e = Nothing
Check e Is Nothing, "Set to Nothing"
Check IsObject(e), "Nothing is still an object"
Check TypeName(e) = "Nothing", "TypeName of Nothing"
Check VarType(e) = 9, "VarType of Nothing is vbObject"
Check d.Count = 1, "releasing one reference keeps the object"
On Error Resume Next
x = Nothing Is 5
Check Err.Number = 424, "Is needs objects (424)"
Err.Clear
Set x = 5
Check Err.Number = 424, "Set needs an object (424)"
Check Err.Description = "Object required", "the text of error 424"
Err.Clear
x = 5
x.Add "a", 1
Check Err.Number = 424, "calling a member of a number is error 424"
Err.Clear
On Error GoTo 0
Done
