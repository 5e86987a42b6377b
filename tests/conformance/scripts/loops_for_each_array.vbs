' For Each over arrays.
Dim a, v, s, nested, inner, count
a = Array("a", "b", "c")
s = ""
For Each v In a
    s = s & v
Next
Check s = "abc", "For Each visits the elements in order"
For Each v In a
    v = "changed"
Next
Check a(0) = "a", "the loop variable is a copy"
s = ""
For Each v In Array()
    s = "ran"
Next
Check s = "", "For Each over an empty array runs no round"
nested = Array(Array(1, 2), Array(3))
count = 0
For Each inner In nested
    For Each v In inner
        count = count + v
    Next
Next
Check count = 6, "nested For Each"
Sub Sum(values, ByRef total)
    Dim x
    total = 0
    For Each x In values
        total = total + x
    Next
End Sub
Sum Array(5, 6, 7), count
Check count = 18, "For Each inside a procedure"
Done
