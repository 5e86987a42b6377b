' Appended to each conformance script run through Tevrin.exe: failed checks are error
' records, the end marker an info record. After the script, so its lines keep their numbers.
#language StepScript
Sub Check(condition, what)
    If condition Then
    Else
        Env.LogError "check failed: " & what
    End If
End Sub
Sub Done()
    Env.LogInfo "conformance: done"
End Sub
