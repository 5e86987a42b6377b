' Accessible objects (Microsoft Active Accessibility): controls found by their role and
' name rather than by window class, their states read, one clicked.
'
' It needs an application that serves accessible objects of its own. Wine's programs do
' not: on Wine, the standard objects of their windows give neither names nor children.
' So this example drives Tevrin's accessible test application, accapp.exe, from the bin
' folder of a Tevrin build; set TEVRIN_ACCAPP to its path first, for example
'   set TEVRIN_ACCAPP=Z:\work\tevrin\build\bin\accapp.exe
'   Tevrin.exe examples\accessible_objects.vbs
' On Windows the same members find the controls of most applications.
#include "suite/_lib/helpers.vbs"
Option Explicit

' The role numbers of accExists (ROLE_SYSTEM_ constants).
Const ROLE_SYSTEM_PUSHBUTTON = 43

Dim fso, appPath, logPath

Set fso = CreateObject("Scripting.FileSystemObject")
appPath = CreateObject("WScript.Shell").Environment("PROCESS")("TEVRIN_ACCAPP")
If appPath = "" Then
    Env.LogError "TEVRIN_ACCAPP is not set: it names the accessible test application, accapp.exe"
ElseIf Not fso.FileExists(appPath) Then
    Env.LogError "TEVRIN_ACCAPP names no file: " & appPath
Else
    ' accapp writes each click it receives into this file.
    logPath = fso.BuildPath(TempFolder(), "tevrin_example_clicks.txt")
    If fso.FileExists(logPath) Then fso.DeleteFile logPath
    TestAccessibleObjects
    If fso.FileExists(logPath) Then fso.DeleteFile logPath
    If fso.FileExists(logPath & ".read") Then fso.DeleteFile logPath & ".read"
End If

' The clicks accapp logged so far. It keeps the file open for writing, which the file
' object's reader does not share: read a copy.
Function ReadClicks()
    ReadClicks = ""
    If Not fso.FileExists(logPath) Then Exit Function
    fso.CopyFile logPath, logPath & ".read", True
    If fso.GetFile(logPath & ".read").Size > 0 Then ReadClicks = fso.OpenTextFile(logPath & ".read", 1).ReadAll
End Function

Sub TestAccessibleObjects()
    Dim app, cancel, button, list, start, clicks

    Set app = CreateObject("Wrappers.WNDWrapper")
    app.appExecute """" & appPath & """ /log """ & logPath & """", "Accessible Test"

    ' A role property searches the accessible objects below the window, depth first, for
    ' one of its role with that name (or with that index among those of its role). It
    ' returns a wrapper that stands for the object.
    Set cancel = app.accPushButton("Cancel")
    If cancel.accName() = "Cancel" Then Env.LogInfo "accPushButton found Cancel" Else Env.LogError "accPushButton found " & cancel.accName()
    ' The object's window is the wrapper's window.
    If cancel.hwnd = app.wnd("Cancel").hwnd Then Env.LogInfo "Its window is the Cancel control" Else Env.LogError "Its window is another one"
    ' By index: OK and Cancel inside the Options group come before Help.
    Set button = app.accPushButton(2)
    If button.accName() = "Help" Then Env.LogInfo "The third push button is Help" Else Env.LogError "The third push button is " & button.accName()

    ' accExists asks without failing: true or false, never an error.
    If app.accExists("OK", ROLE_SYSTEM_PUSHBUTTON) Then Env.LogInfo "A push button OK exists" Else Env.LogError "No push button OK"
    If Not app.accExists("Apply", ROLE_SYSTEM_PUSHBUTTON) Then Env.LogInfo "No push button Apply, as expected" Else Env.LogError "A push button Apply exists"

    ' States: a check box, and the elements of a list (which have no window of their own),
    ' named through the list that holds them.
    If app.accCheckButton("Remember me").accIsChecked Then Env.LogInfo "Remember me is checked" Else Env.LogError "Remember me is not checked"
    Set list = app.accList("Items")
    If list.accIsChecked("Alpha") And Not list.accIsChecked("Beta") Then
        Env.LogInfo "In the list, Alpha is checked and Beta is not"
    Else
        Env.LogError "The list's check states are wrong"
    End If
    If list.accIsSelected("Gamma") Then Env.LogInfo "Gamma is selected" Else Env.LogError "Gamma is not selected"

    ' accClick clicks the middle of the object with the mouse, as a user would.
    app.accPushButton("Help").accClick
    start = Timer
    Do
        clicks = ReadClicks()
        If InStr(clicks, "down Help button=left") > 0 Or SecondsSince(start) > 5 Then Exit Do
        Env.Sleep 100
    Loop
    If InStr(clicks, "down Help button=left") > 0 Then Env.LogInfo "Help received the click" Else Env.LogError "Help received no click: " & clicks

    app.appRelease True
    Env.LogInfo "accapp ended"
End Sub
