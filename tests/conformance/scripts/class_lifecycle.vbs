' Class_Initialize and Class_Terminate: when they run and in which order.
Dim trail
trail = ""
Class Tracked
    Public Tag
    Private Sub Class_Initialize()
        Tag = "new"
        trail = trail & "I"
    End Sub
    Private Sub Class_Terminate()
        trail = trail & "T"
    End Sub
End Class
Dim a, b
Set a = New Tracked
Check trail = "I", "Class_Initialize runs at New"
Check a.Tag = "new", "Class_Initialize sets fields"
Set b = a
Set a = Nothing
Check trail = "I", "no Terminate while another reference lives"
Set b = Nothing
Check trail = "IT", "Class_Terminate runs when the last reference goes"
Sub MakeLocal()
    Dim local
    Set local = New Tracked
    trail = trail & "L"
End Sub
trail = ""
MakeLocal
Check trail = "ILT", "a procedure's local object ends with the procedure"
trail = ""
Set a = New Tracked
Set a = New Tracked
Check trail = "IIT", "replacing a reference ends the old object"
Set a = Nothing
Done
