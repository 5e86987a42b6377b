' Const at global and procedure level, Public and Private.
Const Pi = 3.14159
Const Greeting = "hello", Answer = 42
Const Negative = -5
Const Flag = True
Private Const Hidden = "p"
Public Const Shown = "q"
Check Pi > 3.14 And Pi < 3.15, "numeric constant"
Check Greeting = "hello" And Answer = 42, "two constants in one statement"
Check Negative = -5, "negative constant"
Check Flag, "Boolean constant"
Check TypeName(Answer) = "Integer", "a small whole constant is an Integer"
Check TypeName(Greeting) = "String", "a text constant is a String"
Check Hidden & Shown = "pq", "Private and Public constants"
Function UsesConstants()
    Const Local = 10
    UsesConstants = Local + Answer
End Function
Check UsesConstants() = 52, "a procedure's constant beside a global one"
On Error Resume Next
Execute "Answer = 1"
Check Err.Number <> 0, "assigning to a constant fails"
Err.Clear
On Error GoTo 0
Check Answer = 42, "the constant keeps its value"
Done
