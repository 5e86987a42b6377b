// The lines a recording makes from the tester's actions: names of windows and controls,
// one line per action, runs of typing and keys as one line, new windows waited for.
#include "recorder/ScriptWriter.h"
#include <gtest/gtest.h>
#include <windows.h>

using recorder::ActionRecord;
using recorder::ScriptWriter;
using Lines = ScriptWriter::Lines;

namespace {

// Notepad's main window (process 100, window 1000) and its Save As dialog (window 2000).
ActionRecord InNotepad(const std::wstring& kind) {
    ActionRecord r;
    r.set(L"kind", kind);
    r.set(L"pid", L"100");
    r.set(L"exe", L"notepad.exe");
    r.set(L"top", L"1000");
    r.set(L"topTitle", L"Untitled - Notepad");
    r.set(L"topClass", L"Notepad");
    r.set(L"root", L"1000");
    r.set(L"rootTitle", L"Untitled - Notepad");
    r.set(L"rootClass", L"Notepad");
    return r;
}

ActionRecord InSaveDialog(const std::wstring& kind) {
    ActionRecord r = InNotepad(kind);
    r.set(L"top", L"2000");
    r.set(L"topTitle", L"Save As");
    r.set(L"topClass", L"#32770");
    return r;
}

void SetControl(ActionRecord& r, long long hwnd, const std::wstring& cls, const std::wstring& title, int index,
                int sameTitle = 1, int id = 0, bool parentIsTop = false) {
    r.set(L"ctl", std::to_wstring(hwnd));
    r.set(L"ctlClass", cls);
    r.set(L"ctlTitle", title);
    r.set(L"ctlIndex", std::to_wstring(index));
    r.set(L"ctlSameTitle", std::to_wstring(sameTitle));
    r.set(L"ctlId", std::to_wstring(id));
    r.set(L"ctlParentIsTop", parentIsTop ? L"1" : L"0");
}

ActionRecord Typed(ActionRecord r, long long edit, const std::wstring& text) {
    SetControl(r, edit, L"Edit", text, 0, 1, 15, true);
    r.set(L"text", text);
    return r;
}

ActionRecord Key(ActionRecord r, unsigned vk, wchar_t ch = 0, bool shift = false, bool ctrl = false) {
    r.set(L"vk", std::to_wstring(vk));
    r.set(L"char", std::to_wstring(static_cast<int>(ch)));
    r.set(L"shift", shift ? L"1" : L"0");
    r.set(L"ctrl", ctrl ? L"1" : L"0");
    r.set(L"alt", L"0");
    return r;
}

void Append(Lines& all, const Lines& more) { all.insert(all.end(), more.begin(), more.end()); }

TEST(ScriptWriterTextTest, QuotesTextsAsVBScriptExpressions) {
    EXPECT_EQ(L"\"plain\"", ScriptWriter::Quote(L"plain"));
    EXPECT_EQ(L"\"\"", ScriptWriter::Quote(L""));
    EXPECT_EQ(L"\"say \"\"hi\"\"\"", ScriptWriter::Quote(L"say \"hi\""));
    EXPECT_EQ(L"\"one\" & vbCrLf & \"two\"", ScriptWriter::Quote(L"one\r\ntwo"));
    EXPECT_EQ(L"\"&Save\" & vbTab & \"Ctrl+S\"", ScriptWriter::Quote(L"&Save\tCtrl+S"));
    EXPECT_EQ(L"vbLf & \"x\" & ChrW(7)", ScriptWriter::Quote(L"\nx\a"));
}

TEST(ScriptWriterTextTest, TitlesBecomeExactOrDocumentIndependentPatterns) {
    EXPECT_EQ(L"\\.* - Notepad", ScriptWriter::MainTitlePattern(L"Untitled - Notepad"));
    EXPECT_EQ(L"\\.* - Notepad", ScriptWriter::MainTitlePattern(L"a - b - Notepad"));
    EXPECT_EQ(L"\\.* - My\\.App \\(beta\\)", ScriptWriter::MainTitlePattern(L"doc.txt - My.App (beta)"));
    EXPECT_EQ(L"Registry Editor", ScriptWriter::MainTitlePattern(L"Registry Editor"));
    // A leading backslash would make a title a regular expression: it is escaped instead.
    EXPECT_EQ(L"\\\\\\server\\\\share", ScriptWriter::ExactPattern(L"\\server\\share"));
    EXPECT_EQ(L"a.b", ScriptWriter::ExactPattern(L"a.b"));
}

TEST(ScriptWriterTextTest, KeysAreWrittenInTheKeysSyntax) {
    EXPECT_EQ(L"{ENTER}", ScriptWriter::KeyText(VK_RETURN, L'\r', false, false, false));
    EXPECT_EQ(L"^s", ScriptWriter::KeyText('S', L'S', false, true, false));
    EXPECT_EQ(L"A", ScriptWriter::KeyText('A', L'A', true, false, false));
    EXPECT_EQ(L"+^a", ScriptWriter::KeyText('A', L'A', true, true, false));
    EXPECT_EQ(L"%{F4}", ScriptWriter::KeyText(VK_F4, 0, false, false, true));
    EXPECT_EQ(L"{+}", ScriptWriter::KeyText(VK_OEM_PLUS, L'+', false, false, false));
    EXPECT_EQ(L"7", ScriptWriter::KeyText('7', L'7', false, false, false));
    EXPECT_EQ(L"{UP}", ScriptWriter::KeyText(VK_UP, 0, false, false, false));
    EXPECT_EQ(L"", ScriptWriter::KeyText(VK_PAUSE, 0, false, false, false));
}

TEST(ScriptWriterNamingTest, ControlsByUniqueTitleElseDialogIdElseClassAndIndex) {
    ActionRecord save = InSaveDialog(L"push");
    SetControl(save, 3, L"Button", L"&Save", 0, 1, 1, true);
    EXPECT_EQ(L"dlg.button(\"&Save\")", ScriptWriter::ControlExpression(L"dlg", save));

    ActionRecord twice = InNotepad(L"push");
    SetControl(twice, 3, L"Button", L"OK", 4, 2);
    EXPECT_EQ(L"app.button(4)", ScriptWriter::ControlExpression(L"app", twice));

    // An edit field's text is its content, never its name.
    ActionRecord edit = InNotepad(L"text");
    SetControl(edit, 4, L"Edit", L"Hello", 0);
    EXPECT_EQ(L"app.edit(0)", ScriptWriter::ControlExpression(L"app", edit));

    ActionRecord field = InSaveDialog(L"text");
    SetControl(field, 4, L"Edit", L"name.txt", 1, 1, 1152, true);
    EXPECT_EQ(L"dlg.dlgItem(1152)", ScriptWriter::ControlExpression(L"dlg", field));
    // Not a direct child of the dialog: dlgItem could not reach it.
    SetControl(field, 4, L"Edit", L"name.txt", 1, 1, 1001, false);
    EXPECT_EQ(L"dlg.edit(1)", ScriptWriter::ControlExpression(L"dlg", field));

    ActionRecord custom = InNotepad(L"click");
    SetControl(custom, 5, L"Gauge", L"", 2);
    EXPECT_EQ(L"app.wnd(2, \"Gauge\")", ScriptWriter::ControlExpression(L"app", custom));
    SetControl(custom, 5, L"Gauge", L"Speed", 2);
    EXPECT_EQ(L"app.wnd(\"Speed\", \"Gauge\")", ScriptWriter::ControlExpression(L"app", custom));

    EXPECT_EQ(L"app", ScriptWriter::ControlExpression(L"app", InNotepad(L"menu")));
}

TEST(ScriptWriterSessionTest, NotepadSaveAsBecomesAttachTypingMenuDialogAndPush) {
    ScriptWriter writer;
    Lines all;
    Append(all, writer.Add(Typed(InNotepad(L"text"), 7, L"H")));
    Append(all, writer.Add(Typed(InNotepad(L"text"), 7, L"He")));
    Append(all, writer.Add(Typed(InNotepad(L"text"), 7, L"Hello")));
    ActionRecord menu = InNotepad(L"menu");
    menu.set(L"path", std::wstring(L"&File\x1f") + L"Save &As...");
    Append(all, writer.Add(menu));
    Append(all, writer.Add(Typed(InSaveDialog(L"text"), 9, L"out.txt")));
    ActionRecord save = InSaveDialog(L"push");
    SetControl(save, 3, L"Button", L"&Save", 0, 1, 1, true);
    Append(all, writer.Add(save));
    Append(all, writer.Flush());

    const Lines expected = {
        L"Set app = CreateObject(\"Wrappers.WNDWrapper\")",
        L"app.appAttach \"\\.* - Notepad\"   ' notepad.exe, main window \"Untitled - Notepad\"",
        L"app.edit(0).value = \"Hello\"   ' Edit in \"Untitled - Notepad\"",
        L"Sync.async = True",
        L"app.menu.menu(\"&File\").select \"Save &As...\"   ' menu of \"Untitled - Notepad\"",
        L"Set dlg = app.waitForWindow(\"Save As\", \"#32770\", 10)   ' new window \"Save As\"",
        L"dlg.dlgItem(15).value = \"out.txt\"   ' Edit in \"Save As\"",
        L"dlg.button(\"&Save\").push   ' Button \"&Save\" in \"Save As\"",
    };
    EXPECT_EQ(expected, all);
    EXPECT_TRUE(writer.Flush().empty());
}

TEST(ScriptWriterSessionTest, TypingInAnotherFieldOrAfterAnotherActionStartsANewLine) {
    ScriptWriter writer;
    Lines all;
    Append(all, writer.Add(Typed(InNotepad(L"text"), 7, L"a")));
    ActionRecord other = Typed(InNotepad(L"text"), 8, L"b");
    other.set(L"ctlIndex", L"1");
    other.set(L"ctlParentIsTop", L"0");
    Append(all, writer.Add(other));
    Append(all, writer.Add(Typed(InNotepad(L"text"), 7, L"ab")));
    // Keys that changed nothing (arrows, a menu's letter) make no line.
    Append(all, writer.Add(Typed(InNotepad(L"text"), 7, L"ab")));
    Append(all, writer.Flush());
    ASSERT_EQ(5u, all.size());
    EXPECT_EQ(0u, all[2].find(L"app.edit(0).value = \"a\""));
    EXPECT_EQ(0u, all[3].find(L"app.edit(1).value = \"b\""));
    EXPECT_EQ(0u, all[4].find(L"app.edit(0).value = \"ab\""));
}

TEST(ScriptWriterSessionTest, KeysOnOneWindowMakeOneKeysLine) {
    ScriptWriter writer;
    Lines all;
    Append(all, writer.Add(Key(InNotepad(L"key"), 'A', L'A', true)));
    Append(all, writer.Add(Key(InNotepad(L"key"), 'B', L'B')));
    Append(all, writer.Add(Key(InNotepad(L"key"), VK_RETURN, L'\r')));
    Append(all, writer.Add(Key(InNotepad(L"key"), VK_PAUSE)));  // nothing it can write
    Append(all, writer.Add(Key(InNotepad(L"key"), 'S', L'S', false, true)));
    Append(all, writer.Flush());
    ASSERT_EQ(3u, all.size());
    EXPECT_EQ(L"app.keys \"Ab{ENTER}^s\"   ' \"Untitled - Notepad\"", all[2]);
}

TEST(ScriptWriterSessionTest, SelectionsUseItemTextsAndIndicesWhereTextsRepeat) {
    ScriptWriter writer;
    Lines all;
    auto combo = [](const std::wstring& item, int index, int same) {
        ActionRecord r = InSaveDialog(L"combo");
        SetControl(r, 11, L"ComboBox", L"", 2, 1, 0, false);
        r.set(L"item", item);
        r.set(L"itemIndex", std::to_wstring(index));
        r.set(L"itemSame", std::to_wstring(same));
        return r;
    };
    ActionRecord open = InNotepad(L"push");
    SetControl(open, 3, L"Button", L"Open", 0);
    Append(all, writer.Add(open));
    // A run of selections in one combo box is one line with the last choice.
    Append(all, writer.Add(combo(L"Text files", 0, 1)));
    Append(all, writer.Add(combo(L"All files", 1, 1)));
    ActionRecord tab = InSaveDialog(L"tab");
    SetControl(tab, 12, L"SysTabControl32", L"", 0);
    tab.set(L"item", L"Audio");
    tab.set(L"itemIndex", L"3");
    ActionRecord passing = tab;
    passing.set(L"item", L"Drives");
    Append(all, writer.Add(passing));  // tabs clicked on the way make no line
    Append(all, writer.Add(tab));
    Append(all, writer.Add(combo(L"Same", 4, 2)));
    ActionRecord list = InSaveDialog(L"listview");
    SetControl(list, 13, L"SysListView32", L"", 0);
    list.set(L"item", L"out.txt");
    list.set(L"itemIndex", L"2");
    Append(all, writer.Add(list));
    ActionRecord tree = InSaveDialog(L"tree");
    SetControl(tree, 14, L"SysTreeView32", L"", 0);
    tree.set(L"item", L"HKEY_CURRENT_USER");
    Append(all, writer.Add(tree));
    Append(all, writer.Flush());
    ASSERT_EQ(10u, all.size());
    EXPECT_EQ(L"Sync.async = True", all[2]);
    EXPECT_EQ(0u, all[3].find(L"app.button(\"Open\").push"));
    EXPECT_EQ(0u, all[4].find(L"Set dlg = app.waitForWindow("));
    EXPECT_EQ(0u, all[5].find(L"dlg.combobox(2).curSel = \"All files\"   ' ComboBox in \"Save As\""));
    EXPECT_EQ(0u, all[6].find(L"dlg.tabctrl(0).curSel = \"Audio\""));
    EXPECT_EQ(0u, all[7].find(L"dlg.combobox(2).curSel = 4"));
    EXPECT_EQ(0u, all[8].find(L"dlg.listview(0).selected(\"out.txt\") = True"));
    EXPECT_EQ(0u, all[9].find(L"dlg.treectrl(0).curSel = \"HKEY_CURRENT_USER\""));
}

TEST(ScriptWriterSessionTest, ChecksToolbarsAndUnnameableClicks) {
    ScriptWriter writer;
    Lines all;
    ActionRecord box = InNotepad(L"check");
    SetControl(box, 3, L"Button", L"Word wrap", 0);
    box.set(L"check", L"1");
    box.set(L"ctlStyle", std::to_wstring(BS_AUTOCHECKBOX | WS_CHILD));
    Append(all, writer.Add(box));
    ActionRecord bar = InNotepad(L"toolbar");
    SetControl(bar, 4, L"ToolbarWindow32", L"", 0);
    bar.set(L"item", L"");
    bar.set(L"itemIndex", L"5");
    Append(all, writer.Add(bar));
    ActionRecord click = InNotepad(L"click");
    SetControl(click, 5, L"Gauge", L"", 0);
    click.set(L"x", L"12");
    click.set(L"y", L"-3");
    click.set(L"button", L"0");
    Append(all, writer.Add(click));
    Append(all, writer.Flush());
    ASSERT_EQ(6u, all.size());
    // The box's own state first, then the click its window hears of.
    EXPECT_EQ(0u, all[2].find(L"app.button(\"Word wrap\").check = True"));
    EXPECT_EQ(L"app.button(\"Word wrap\").push", all[3]);
    EXPECT_EQ(0u, all[4].find(L"app.toolbar(0).select 5"));
    EXPECT_EQ(0u, all[5].find(L"app.wnd(0, \"Gauge\").click 0, 12, -3   ' Gauge in"));
    EXPECT_NE(std::wstring::npos, all[5].find(L"custom-drawn"));
}

TEST(ScriptWriterSessionTest, ABoxThatChangesOnlyWhenToldIsPushedAlone) {
    ScriptWriter writer;
    ActionRecord box = InNotepad(L"check");
    SetControl(box, 3, L"Button", L"Bold", 0);
    box.set(L"check", L"1");
    box.set(L"ctlStyle", std::to_wstring(BS_CHECKBOX));
    Lines all = writer.Add(box);
    Append(all, writer.Flush());
    ASSERT_EQ(3u, all.size());
    EXPECT_EQ(0u, all[2].find(L"app.button(\"Bold\").push   ' Button \"Bold\""));
}

TEST(ScriptWriterSessionTest, ACommandThatClosedItsWindowIsPosted) {
    ScriptWriter writer;
    Lines all;
    ActionRecord box = InSaveDialog(L"check");
    SetControl(box, 3, L"Button", L"Read only", 0);
    box.set(L"check", L"1");
    box.set(L"ctlStyle", std::to_wstring(BS_AUTOCHECKBOX));
    Append(all, writer.Add(box));
    ActionRecord ok = InSaveDialog(L"push");
    SetControl(ok, 4, L"Button", L"OK", 0);
    Append(all, writer.Add(ok));
    Append(all, writer.Add(InSaveDialog(L"closed")));
    // The next window with the same handle is waited for again.
    ActionRecord again = InSaveDialog(L"push");
    SetControl(again, 5, L"Button", L"Cancel", 0);
    Append(all, writer.Add(again));
    Append(all, writer.Flush());
    ASSERT_EQ(9u, all.size());
    EXPECT_EQ(0u, all[3].find(L"dlg.button(\"Read only\").check = True"));
    EXPECT_EQ(L"dlg.button(\"Read only\").push", all[4]);
    EXPECT_EQ(L"Sync.async = True", all[5]);
    EXPECT_EQ(0u, all[6].find(L"dlg.button(\"OK\").push"));
    EXPECT_EQ(0u, all[7].find(L"Set dlg2 = app.waitForWindow(\"Save As\""));
    EXPECT_EQ(0u, all[8].find(L"dlg2.button(\"Cancel\").push"));
}

TEST(ScriptWriterSessionTest, ASecondApplicationGetsItsOwnVariableAndAttach) {
    ScriptWriter writer;
    Lines all;
    Append(all, writer.Add(Typed(InNotepad(L"text"), 7, L"x")));
    ActionRecord regedit;
    regedit.set(L"kind", L"tree");
    regedit.set(L"pid", L"200");
    regedit.set(L"exe", L"regedit.exe");
    regedit.set(L"top", L"3000");
    regedit.set(L"topTitle", L"Registry Editor");
    regedit.set(L"topClass", L"RegEdit_RegEdit");
    regedit.set(L"root", L"3000");
    regedit.set(L"rootTitle", L"Registry Editor");
    SetControl(regedit, 31, L"SysTreeView32", L"", 0);
    regedit.set(L"item", L"HKEY_USERS");
    Append(all, writer.Add(regedit));
    Append(all, writer.Add(Typed(InNotepad(L"text"), 7, L"xy")));
    Append(all, writer.Flush());
    ASSERT_EQ(7u, all.size());
    // The first application's typing is written before the second application starts.
    EXPECT_EQ(0u, all[2].find(L"app.edit(0).value = \"x\""));
    EXPECT_EQ(L"Set app2 = CreateObject(\"Wrappers.WNDWrapper\")", all[3]);
    EXPECT_EQ(0u, all[4].find(L"app2.appAttach \"Registry Editor\""));
    EXPECT_EQ(0u, all[5].find(L"app2.treectrl(0).curSel = \"HKEY_USERS\""));
    EXPECT_EQ(0u, all[6].find(L"app.edit(0).value = \"xy\""));
}

TEST(ScriptWriterSessionTest, AnApplicationThatEndsLeavesACommentAndANewStartIsAttachedAgain) {
    ScriptWriter writer;
    Lines all;
    Append(all, writer.Add(Typed(InNotepad(L"text"), 7, L"x")));
    Append(all, writer.ApplicationEnded(100, L"notepad.exe"));
    EXPECT_TRUE(writer.ApplicationEnded(100, L"notepad.exe").empty());  // told once
    EXPECT_TRUE(writer.ApplicationEnded(555, L"other.exe").empty());    // never acted on
    ActionRecord again = Typed(InNotepad(L"text"), 8, L"y");
    again.set(L"pid", L"101");
    again.set(L"top", L"1001");
    again.set(L"root", L"1001");
    Append(all, writer.Add(again));
    Append(all, writer.Flush());
    ASSERT_EQ(7u, all.size());
    EXPECT_EQ(0u, all[2].find(L"app.edit(0).value = \"x\""));
    EXPECT_EQ(L"' notepad.exe (process 100) ended here; the recording goes on", all[3]);
    EXPECT_EQ(L"Set app2 = CreateObject(\"Wrappers.WNDWrapper\")", all[4]);
    EXPECT_EQ(0u, all[6].find(L"app2.edit(0).value = \"y\""));
}

TEST(ScriptWriterSessionTest, AFirstActionInADialogAttachesToTheMainWindowAndWaitsForTheDialog) {
    ScriptWriter writer;
    ActionRecord save = InSaveDialog(L"push");
    SetControl(save, 3, L"Button", L"Cancel", 0);
    Lines all = writer.Add(save);
    Append(all, writer.Flush());
    ASSERT_EQ(4u, all.size());
    EXPECT_EQ(0u, all[1].find(L"app.appAttach \"\\.* - Notepad\""));
    EXPECT_EQ(0u, all[2].find(L"Set dlg = app.waitForWindow(\"Save As\", \"#32770\", 10)"));
    EXPECT_EQ(0u, all[3].find(L"dlg.button(\"Cancel\").push"));
}

TEST(ScriptWriterSessionTest, AStartedApplicationIsExecutedAndIncompleteReportsAreIgnored) {
    ScriptWriter writer;
    writer.StartedApplication(L"notepad.exe");
    ActionRecord broken;
    broken.set(L"kind", L"push");
    EXPECT_TRUE(writer.Add(broken).empty());
    ActionRecord unknown = InNotepad(L"wiggle");
    EXPECT_EQ(2u, writer.Add(unknown).size());  // the application is named; the action is not
    EXPECT_TRUE(writer.Flush().empty());
    ScriptWriter fresh;
    fresh.StartedApplication(L"notepad.exe");
    const Lines lines = fresh.Add(Typed(InNotepad(L"text"), 7, L"x"));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0u, lines[1].find(L"app.appExecute \"notepad.exe\", \"\\.* - Notepad\""));
}

} // namespace
