' Appended to each conformance script run through cscript.exe on Wine's VBScript.
Sub Check(condition, what)
    If condition Then
    Else
        WScript.Echo "check failed: " & what
    End If
End Sub
Sub Done()
    WScript.Echo "conformance: done"
End Sub
