' Scripting.Dictionary: Add, Item, Exists, Remove, Count, Keys, Items.
Dim d, k, i
Set d = CreateObject("Scripting.Dictionary")
d.Add "a", 1
d.Add "b", "two"
d("c") = 3
Check d.Count = 3, "Add and assignment through Item add keys"
Check d("a") = 1 And d.Item("b") = "two", "Item by key"
Check d.Exists("c") And Not d.Exists("z"), "Exists"
d("a") = 10
Check d("a") = 10 And d.Count = 3, "assigning an existing key replaces the value"
d.Remove "b"
Check Not d.Exists("b") And d.Count = 2, "Remove"
k = d.Keys
i = d.Items
Check UBound(k) = 1 And k(0) = "a" And k(1) = "c", "Keys in insertion order"
Check i(1) = 3, "Items in insertion order"
Check IsEmpty(d("missing")), "reading a missing key gives Empty"
Check d.Exists("missing"), "reading a missing key adds it"
d.Key("a") = "renamed"
Check d.Exists("renamed") And d("renamed") = 10, "Key renames"
d.Add 1, "number key"
Check d(1) = "number key" And Not d.Exists("1"), "keys keep their subtypes"
d.RemoveAll
Check d.Count = 0, "RemoveAll"
Done
