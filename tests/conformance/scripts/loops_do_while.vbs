' Do While/Until at the top or the bottom, While ... Wend.
Dim n
n = 0
Do While n < 5
    n = n + 1
Loop
Check n = 5, "Do While tests before each round"
n = 0
Do Until n = 3
    n = n + 1
Loop
Check n = 3, "Do Until"
n = 10
Do
    n = n + 1
Loop While n < 5
Check n = 11, "Loop While runs at least once"
n = 10
Do While n < 5
    n = n + 1
Loop
Check n = 10, "Do While can run no round"
n = 0
Do
    n = n + 1
Loop Until n >= 4
Check n = 4, "Loop Until"
n = 0
While n < 7
    n = n + 1
Wend
Check n = 7, "While ... Wend"
n = 0
Do
    n = n + 1
    If n = 6 Then Exit Do
Loop
Check n = 6, "Exit Do ends an endless Do"
Done
