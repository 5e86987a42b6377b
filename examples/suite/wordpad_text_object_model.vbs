#timeout 90
' wordpad's document through the rich edit control's text object model (TOM): the
' wrapper's tom property hands out the control's ITextDocument, whose ranges read, write
' and format text inside wordpad. Nothing is saved.
Option Explicit

' TOM's true and false (tomTrue, tomFalse).
Const tomTrue = -1, tomFalse = 0

Dim wordpad, editor, document, story, word, selection

Set wordpad = CreateObject("Wrappers.WNDWrapper")
wordpad.appExecute """C:\Program Files\Windows NT\Accessories\wordpad.exe""", "\.*Wordpad"

' The class of wordpad's rich edit depends on the rich edit version it was built with,
' so the class is given as a pattern.
Set editor = wordpad.richedit(0, "\RichEdit.*")
Set document = editor.tom
If TypeName(document) = "ITextDocument" Then Env.LogInfo "tom is the text document" Else Env.LogError "tom gave " & TypeName(document)

' A range from 0 to 0 is the start of the story; giving it text inserts the text there.
document.Range(0, 0).Text = "Tevrin writes here." & vbCr & "A second paragraph."
' The story always ends with a paragraph mark.
story = document.Range(0, document.Range(0, 0).StoryLength).Text
If story = "Tevrin writes here." & vbCr & "A second paragraph." & vbCr Then
    Env.LogInfo "The story reads back: " & Replace(story, vbCr, " / ")
Else
    Env.LogError "The story reads: " & Replace(story, vbCr, " / ")
End If
' The control's own text (the wrapper's value) shows the same, with its line breaks.
If editor.value = "Tevrin writes here." & vbCrLf & "A second paragraph." Then Env.LogInfo "The control shows the text" Else Env.LogError "The control shows: " & editor.value

' Character formatting through a range's Font.
Set word = document.Range(0, 6)
If word.Text = "Tevrin" Then Env.LogInfo "Range(0, 6) is the first word" Else Env.LogError "Range(0, 6) is " & word.Text
word.Font.Bold = tomTrue
If document.Range(0, 6).Font.Bold = tomTrue Then Env.LogInfo "The first word is bold" Else Env.LogError "The first word is not bold"
If document.Range(7, 13).Font.Bold = tomFalse Then Env.LogInfo "The second word is not" Else Env.LogError "The bold spread to the second word"

' Positions count characters, the paragraph mark included: the second paragraph starts
' at 20. (Wine's rich edit drops the rest of the story when a range in the middle of it
' gets new text, so this test writes its text once and then only reads and formats.)
Set word = document.Range(22, 28)
If word.Text = "second" Then Env.LogInfo "Range(22, 28) is in the second paragraph" Else Env.LogError "Range(22, 28) is " & word.Text
word.Font.Italic = tomTrue
If document.Range(22, 28).Font.Italic = tomTrue And document.Range(0, 6).Font.Italic = tomFalse Then
    Env.LogInfo "Only the word second is italic"
Else
    Env.LogError "Italic went elsewhere"
End If

' The selection is a range too: what a user would have highlighted.
Set selection = document.Selection
selection.Start = 7
selection.End = 13
If selection.Text = "writes" Then Env.LogInfo "The selection holds the word writes" Else Env.LogError "The selection holds " & selection.Text

' wordpad would ask to save the changed document: end it instead.
wordpad.appRelease True
Env.LogInfo "wordpad ended"
