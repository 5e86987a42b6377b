' For ... Next: steps, bounds evaluated once, the counter after the loop.
Dim i, j, n, last
n = 0
For i = 1 To 10 : n = n + i : Next
Check n = 55, "For sums 1 to 10"
Check i = 11, "the counter ends one step past the end"
n = 0
For i = 10 To 1 Step -2
    n = n + 1
Next
Check n = 5 And i = 0, "negative Step"
n = 0
For i = 0 To 1 Step 0.25
    n = n + 1
Next
Check n = 5, "fractional Step"
n = 0
For i = 5 To 1
    n = n + 1
Next
Check n = 0 And i = 5, "a start past the end runs no round"
last = 3 : n = 0
For i = 1 To last
    last = 10
    n = n + 1
Next
Check n = 3, "the end is evaluated once"
n = 0
For i = 1 To 10
    i = i + 1
    n = n + 1
Next
Check n = 5, "changing the counter inside the loop moves it"
n = 0
For i = 1 To 3
    For j = 1 To 3
        n = n + 1
    Next
Next
Check n = 9, "nested loops"
Done
