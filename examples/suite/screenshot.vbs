#timeout 90
' Screenshots as evidence: one of Notepad's window and one of the whole screen, saved as
' BMP files in the temp folder, checked and deleted again.
#include "_lib/helpers.vbs"
Option Explicit

Dim fso, notepad, windowFile, screenFile, windowWidth, windowHeight, screenWidth, screenHeight

' Reads width and height from a BMP file's header and checks that the file holds as many
' pixel bytes as they call for. The header's numbers are little-endian; the file is read
' as text, one character per byte.
Function ReadBitmap(path, width, height)
    Dim stream, header, bits, rowBytes
    ReadBitmap = False
    If Not fso.FileExists(path) Then Exit Function
    Set stream = fso.OpenTextFile(path, 1)
    header = stream.Read(54)
    stream.Close
    If Len(header) < 54 Or Left(header, 2) <> "BM" Then Exit Function
    width = LittleEndian(header, 19, 4)
    height = LittleEndian(header, 23, 4)
    bits = LittleEndian(header, 29, 2)
    ' Rows are padded to whole 4-byte words; the pixels start where the header says.
    rowBytes = ((width * bits + 31) \ 32) * 4
    ReadBitmap = (fso.GetFile(path).Size = LittleEndian(header, 11, 4) + rowBytes * height)
End Function

Function LittleEndian(text, start, count)
    Dim i
    LittleEndian = 0
    For i = count - 1 To 0 Step -1
        LittleEndian = LittleEndian * 256 + Asc(Mid(text, start + i, 1))
    Next
End Function

Set fso = CreateObject("Scripting.FileSystemObject")
windowFile = fso.BuildPath(TempFolder(), "tevrin_example_window.bmp")
screenFile = fso.BuildPath(TempFolder(), "tevrin_example_screen.bmp")

Set notepad = CreateObject("Wrappers.WNDWrapper")
notepad.appExecute "notepad.exe", "\.*Notepad"
notepad.edit.value = "What the screenshot shows"

' True: only the wrapper's window, frame included. False: the whole screen.
notepad.screenshot True, windowFile
notepad.screenshot False, screenFile

If ReadBitmap(windowFile, windowWidth, windowHeight) Then
    Env.LogInfo "Window screenshot: " & windowWidth & " x " & windowHeight & " pixels"
Else
    Env.LogError "No valid window screenshot in " & windowFile
End If
If ReadBitmap(screenFile, screenWidth, screenHeight) Then
    Env.LogInfo "Screen screenshot: " & screenWidth & " x " & screenHeight & " pixels"
Else
    Env.LogError "No valid screen screenshot in " & screenFile
End If
If windowWidth * windowHeight > 0 And windowWidth * windowHeight < screenWidth * screenHeight Then
    Env.LogInfo "The window's picture is smaller than the screen's"
Else
    Env.LogError "The window's picture is not smaller than the screen's"
End If

' A folder that does not exist fails the call: the script can catch it.
On Error Resume Next
notepad.screenshot True, fso.BuildPath(TempFolder(), "no such folder\shot.bmp")
If Err.Number <> 0 Then Env.LogInfo "A screenshot into a missing folder fails" Else Env.LogError "A screenshot into a missing folder did not fail"
Err.Clear
On Error GoTo 0

notepad.appRelease True
If fso.FileExists(windowFile) Then fso.DeleteFile windowFile
If fso.FileExists(screenFile) Then fso.DeleteFile screenFile
Env.LogInfo "Notepad ended, screenshots deleted"
