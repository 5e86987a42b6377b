#timeout 150
' regedit's tree view and list view: expand HKEY_CURRENT_USER and its Software key, then
' select HKEY_CURRENT_USER\Environment and read the row of its TEMP value. It only reads:
' the registry is left as it was, and regedit is ended without saving its settings.
#include "_lib/helpers.vbs"
Option Explicit

Dim regedit, tree, hkcu, software, environment, values, row, start

Set regedit = CreateObject("Wrappers.WNDWrapper")
regedit.appExecute "regedit.exe", "Registry Editor"

' The key tree is regedit's only tree view. Its items are found by their text, below a
' parent item when one is given, and named by the handles that findItem returns.
Set tree = regedit.treectrl
hkcu = tree.findItem("HKEY_CURRENT_USER")
If hkcu <> 0 Then Env.LogInfo "The tree shows HKEY_CURRENT_USER" Else Env.LogError "No HKEY_CURRENT_USER in the tree"

'' regedit reads the subkeys of a key when the key is first expanded, and reopens at the
' key it showed last (another program may have left it there): either is fine.
If tree.findItem("Software", hkcu) = 0 Then
    Env.LogInfo "The subkeys are not loaded yet"
Else
    Env.LogInfo "regedit reopened below HKEY_CURRENT_USER: its subkeys are loaded already"
End If
If ExpandTreeItem(tree, hkcu) Then Env.LogInfo "HKEY_CURRENT_USER expanded" Else Env.LogError "HKEY_CURRENT_USER did not expand"
software = tree.findItem("Software", hkcu)
environment = tree.findItem("Environment", hkcu)
If software <> 0 And environment <> 0 Then
    Env.LogInfo "HKEY_CURRENT_USER has the keys Software and Environment"
Else
    Env.LogError "Software or Environment missing below HKEY_CURRENT_USER"
End If
If tree.parent(software) = hkcu Then Env.LogInfo "Software's parent is HKEY_CURRENT_USER" Else Env.LogError "Software has another parent"

If software <> 0 Then
    If ExpandTreeItem(tree, software) Then Env.LogInfo "Software expanded" Else Env.LogError "Software did not expand"
    If tree.findItem("Wine", software) <> 0 Then Env.LogInfo "HKEY_CURRENT_USER\Software has the key Wine" Else Env.LogError "No key Wine below Software"
End If

' Selecting a key shows its values in the list view: columns Name, Type and Data.
tree.curSel = environment
If tree.curSel = "Environment" Then Env.LogInfo "Environment is selected" Else Env.LogError "Selected instead: " & tree.curSel
Set values = regedit.listview
' regedit fills the list when it hears of the new selection: wait for the row.
start = Timer
Do
    row = values.findItem("TEMP")
    If row >= 0 Or SecondsSince(start) >= 5 Then Exit Do
    Env.Sleep 100
Loop
If row >= 0 Then
    Env.LogInfo "Value row: " & values.item(row, 0) & " | " & values.item(row, 1) & " | " & values.item(row, 2)
    If values.item(row, 1) = "REG_SZ" Or values.item(row, 1) = "REG_EXPAND_SZ" Then
        Env.LogInfo "TEMP is a string value"
    Else
        Env.LogError "TEMP has the type " & values.item(row, 1)
    End If
    If InStr(1, values.item(row, 2), "temp", vbTextCompare) > 0 Then Env.LogInfo "TEMP names a temp folder" Else Env.LogError "TEMP is " & values.item(row, 2)
    ' A pattern can give several columns, separated by "|"; "\" starts a regular expression.
    If values.findItem("TEMP|\REG_.*SZ") = row Then Env.LogInfo "findItem matches name and type together" Else Env.LogError "findItem by two columns missed the row"
Else
    Env.LogError "No row for the value TEMP"
End If

' Ended rather than closed: a closing regedit stores its window layout in the registry.
regedit.appRelease True
Env.LogInfo "regedit ended"
