#include "recorder/ScriptWriter.h"

#include <windows.h>

namespace recorder {

namespace {

// How long a recorded script waits for a window that came up during the recording.
const wchar_t kWindowTimeout[] = L"10";

const wchar_t kDialogClass[] = L"#32770";

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, ::lstrlenW(prefix), prefix) == 0;
}

// The typed child property of the wrappers for a window class; empty: use wnd().
std::wstring PropertyFor(const std::wstring& cls) {
    static const struct {
        const wchar_t* cls;
        const wchar_t* property;
    } table[] = {{L"Button", L"button"},        {L"Edit", L"edit"},
                 {L"ComboBox", L"combobox"},    {L"ListBox", L"listbox"},
                 {L"SysListView32", L"listview"}, {L"SysTreeView32", L"treectrl"},
                 {L"SysTabControl32", L"tabctrl"}, {L"ToolbarWindow32", L"toolbar"},
                 {L"Static", L"label"},         {L"RichEdit20W", L"richedit"},
                 {L"#32770", L"dialog"},        {L"tooltips_class32", L"tooltip"}};
    for (const auto& row : table)
        if (cls == row.cls) return row.property;
    return {};
}

// Classes whose window text is their content, not a name.
bool TextIsContent(const std::wstring& cls) {
    return cls == L"Edit" || cls == L"ComboBox" || cls == L"ListBox" || StartsWith(cls, L"RichEdit") ||
           StartsWith(cls, L"RICHEDIT") || cls == L"SysListView32" || cls == L"SysTreeView32";
}

std::wstring Title(const std::wstring& text) { return L"\"" + text + L"\""; }

// What the comment calls the action's control.
std::wstring ControlName(const ActionRecord& action) {
    const std::wstring cls = action.text(L"ctlClass");
    const std::wstring title = action.text(L"ctlTitle");
    if (!TextIsContent(cls) && !title.empty()) return cls + L" " + Title(title);
    return cls;
}

std::wstring WindowName(const ActionRecord& action) {
    const std::wstring title = action.text(L"topTitle");
    return title.empty() ? action.text(L"topClass") + L" window" : Title(title);
}

std::wstring Commented(const std::wstring& statement, const std::wstring& comment) {
    return comment.empty() ? statement : statement + L"   ' " + comment;
}

std::wstring ItemArgument(const ActionRecord& action) {
    const std::wstring item = action.text(L"item");
    if (item.empty() || (action.has(L"itemSame") && action.number(L"itemSame") > 1))
        return std::to_wstring(action.number(L"itemIndex"));
    return ScriptWriter::Quote(ScriptWriter::ExactPattern(item));
}

} // namespace

std::wstring ScriptWriter::Quote(const std::wstring& text) {
    std::wstring out;
    bool open = false;
    auto piece = [&](const wchar_t* expression) {
        if (open) out += L"\"";
        open = false;
        if (!out.empty()) out += L" & ";
        out += expression;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
            piece(L"vbCrLf");
            ++i;
        } else if (c == L'\t') {
            piece(L"vbTab");
        } else if (c == L'\n') {
            piece(L"vbLf");
        } else if (c == L'\r') {
            piece(L"vbCr");
        } else if (c < 32) {
            piece((L"ChrW(" + std::to_wstring(static_cast<int>(c)) + L")").c_str());
        } else {
            if (!open) {
                if (!out.empty()) out += L" & ";
                out += L"\"";
                open = true;
            }
            out += c;
            if (c == L'"') out += L'"';
        }
    }
    if (open) out += L"\"";
    return out.empty() ? L"\"\"" : out;
}

std::wstring ScriptWriter::RegexEscape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (wcschr(L".^$|()[]{}*+?\\", c) && c != L'\0') out += L'\\';
        out += c;
    }
    return out;
}

std::wstring ScriptWriter::ExactPattern(const std::wstring& text) {
    if (!text.empty() && text[0] == L'\\') return L"\\" + RegexEscape(text);
    return text;
}

std::wstring ScriptWriter::MainTitlePattern(const std::wstring& title) {
    const size_t dash = title.rfind(L" - ");
    if (dash == std::wstring::npos || dash == 0) return ExactPattern(title);
    return L"\\.* - " + RegexEscape(title.substr(dash + 3));
}

std::wstring ScriptWriter::KeyText(unsigned vk, wchar_t ch, bool shift, bool ctrl, bool alt) {
    static const struct {
        unsigned vk;
        const wchar_t* name;
    } named[] = {{VK_RETURN, L"{ENTER}"}, {VK_TAB, L"{TAB}"},       {VK_ESCAPE, L"{ESC}"},
                 {VK_BACK, L"{BACKSPACE}"}, {VK_DELETE, L"{DELETE}"}, {VK_INSERT, L"{INSERT}"},
                 {VK_HOME, L"{HOME}"},     {VK_END, L"{END}"},       {VK_PRIOR, L"{PGUP}"},
                 {VK_NEXT, L"{PGDN}"},     {VK_UP, L"{UP}"},         {VK_DOWN, L"{DOWN}"},
                 {VK_LEFT, L"{LEFT}"},     {VK_RIGHT, L"{RIGHT}"}};
    std::wstring key;
    for (const auto& row : named)
        if (row.vk == vk) key = row.name;
    if (key.empty() && vk >= VK_F1 && vk <= VK_F24) key = L"{F" + std::to_wstring(vk - VK_F1 + 1) + L"}";
    if (key.empty() && vk >= 'A' && vk <= 'Z') {
        // A capital typed with Shift reads as the capital itself.
        if (shift && !ctrl && !alt) return std::wstring(1, static_cast<wchar_t>(vk));
        key = std::wstring(1, static_cast<wchar_t>(vk - 'A' + 'a'));
    }
    if (key.empty() && vk == VK_SPACE) key = L" ";
    if (key.empty() && ch >= 32) {
        key = wcschr(L"+^%~(){}[]", ch) ? std::wstring(L"{") + ch + L"}" : std::wstring(1, ch);
    }
    if (key.empty()) return {};
    std::wstring prefix;
    if (shift) prefix += L"+";
    if (ctrl) prefix += L"^";
    if (alt) prefix += L"%";
    return prefix + key;
}

std::wstring ScriptWriter::ControlExpression(const std::wstring& variable, const ActionRecord& action) {
    if (!action.has(L"ctl")) return variable;
    const std::wstring cls = action.text(L"ctlClass");
    const std::wstring title = action.text(L"ctlTitle");
    std::wstring property = PropertyFor(cls);
    const bool byTitle = !TextIsContent(cls) && !title.empty() && action.number(L"ctlSameTitle") == 1;
    const bool inDialog = action.text(L"topClass") == kDialogClass;
    const long long id = action.number(L"ctlId");
    if (byTitle) {
        const std::wstring name = Quote(ExactPattern(title));
        if (property.empty()) return variable + L".wnd(" + name + L", " + Quote(ExactPattern(cls)) + L")";
        return variable + L"." + property + L"(" + name + L")";
    }
    if (inDialog && action.number(L"ctlParentIsTop") == 1 && id > 0 && id < 0x10000)
        return variable + L".dlgItem(" + std::to_wstring(id) + L")";
    const std::wstring index = std::to_wstring(action.number(L"ctlIndex"));
    if (property.empty()) return variable + L".wnd(" + index + L", " + Quote(ExactPattern(cls)) + L")";
    return variable + L"." + property + L"(" + index + L")";
}

void ScriptWriter::StartedApplication(const std::wstring& commandLine) { startCommand_ = commandLine; }

std::wstring ScriptWriter::WindowVariable(const ActionRecord& action, Lines& lines) {
    const long long pid = action.number(L"pid");
    const long long top = action.number(L"top");
    const long long root = action.number(L"root");
    auto known = windows_.find(top);
    if (known != windows_.end()) return known->second;

    auto app = applications_.find(pid);
    if (app == applications_.end()) {
        Lines flushed = Emit(pending_);
        lines.insert(lines.end(), flushed.begin(), flushed.end());
        ++applicationCount_;
        const std::wstring variable = applicationCount_ == 1 ? L"app" : L"app" + std::to_wstring(applicationCount_);
        const std::wstring title = action.text(L"rootTitle");
        const std::wstring pattern = MainTitlePattern(title);
        lines.push_back(L"Set " + variable + L" = CreateObject(\"Wrappers.WNDWrapper\")");
        const std::wstring comment = action.text(L"exe") + L", main window " + Title(title);
        if (applicationCount_ == 1 && !startCommand_.empty()) {
            lines.push_back(Commented(variable + L".appExecute " + Quote(startCommand_) + L", " + Quote(pattern),
                                      comment));
        } else {
            lines.push_back(Commented(variable + L".appAttach " + Quote(pattern), comment));
        }
        app = applications_.emplace(pid, variable).first;
        windows_[root] = variable;
        if (root == top) return variable;
    }
    // Another top-level window of a known application: a dialog or a second window.
    // A command that is still held back opened it, so it must not wait for it.
    if (pending_.active && pending_.command && pending_.processId == pid) pending_.async = true;
    ++dialogCount_;
    const std::wstring variable = dialogCount_ == 1 ? L"dlg" : L"dlg" + std::to_wstring(dialogCount_);
    const std::wstring title = action.text(L"topTitle");
    Lines flushed = Emit(pending_);
    lines.insert(lines.end(), flushed.begin(), flushed.end());
    lines.push_back(Commented(L"Set " + variable + L" = " + app->second + L".waitForWindow(" +
                                  Quote(ExactPattern(title)) + L", " + Quote(action.text(L"topClass")) + L", " +
                                  kWindowTimeout + L")",
                              L"new window " + Title(title)));
    windows_[top] = variable;
    return variable;
}

ScriptWriter::Pending ScriptWriter::Statement(const std::wstring& variable, const ActionRecord& action) const {
    Pending p;
    p.active = true;
    p.kind = action.kind();
    p.processId = action.number(L"pid");
    p.control = action.has(L"ctl") ? action.number(L"ctl") : action.number(L"top");
    p.top = action.number(L"top");
    const std::wstring target = ControlExpression(variable, action);
    const std::wstring where = action.has(L"ctl") ? ControlName(action) + L" in " + WindowName(action)
                                                   : WindowName(action);
    p.comment = where;
    if (p.kind == L"push") {
        p.statement = target + L".push";
        p.command = true;
    } else if (p.kind == L"check") {
        // An automatic box has changed its state before its window hears of the click:
        // the script sets the state, then tells the window. Any other box changes its
        // state when told, so telling is all.
        const long long type = action.number(L"ctlStyle") & BS_TYPEMASK;
        if (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON || type == BS_AUTO3STATE) {
            p.statement = target + L".check = " + (action.number(L"check") ? L"True" : L"False");
            p.followUp = target + L".push";
        } else {
            p.statement = target + L".push";
        }
        p.command = true;
    } else if (p.kind == L"menu") {
        std::wstring path = action.text(L"path");
        std::wstring statement = variable + L".menu";
        size_t start = 0;
        for (;;) {
            const size_t sep = path.find(L'\x1f', start);
            const std::wstring part = path.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start);
            if (sep == std::wstring::npos) {
                statement += L".select " + Quote(ExactPattern(part));
                break;
            }
            statement += L".menu(" + Quote(ExactPattern(part)) + L")";
            start = sep + 1;
        }
        p.statement = statement;
        p.comment = L"menu of " + WindowName(action);
        p.command = true;
    } else if (p.kind == L"toolbar") {
        p.statement = target + L".select " + ItemArgument(action);
        p.command = true;
    } else if (p.kind == L"combo" || p.kind == L"tab" || p.kind == L"tree") {
        p.statement = target + L".curSel = " + ItemArgument(action);
    } else if (p.kind == L"list" || p.kind == L"listview") {
        p.statement = target + L".selected(" + ItemArgument(action) + L") = True";
    } else if (p.kind == L"text") {
        p.statement = target + L".value = " + Quote(action.text(L"text"));
    } else if (p.kind == L"key") {
        const std::wstring key = KeyText(static_cast<unsigned>(action.number(L"vk")),
                                         static_cast<wchar_t>(action.number(L"char")), action.number(L"shift") != 0,
                                         action.number(L"ctrl") != 0, action.number(L"alt") != 0);
        if (key.empty()) return Pending();
        // Held as the bare keys text until the run of keys ends.
        p.statement = key;
        p.command = true;
    } else if (p.kind == L"click") {
        p.statement = target + L".click " + std::to_wstring(action.number(L"button")) + L", " +
                      std::to_wstring(action.number(L"x")) + L", " + std::to_wstring(action.number(L"y"));
        p.comment = where + L": custom-drawn, no name for what was clicked; position relative to the window";
        p.command = true;
    } else {
        return Pending();
    }
    // The keys statement needs its target when it is written.
    if (p.kind == L"key") p.comment = target + L"\x1f" + where;
    return p;
}

ScriptWriter::Lines ScriptWriter::Emit(Pending& pending) {
    Lines lines;
    if (!pending.active) return lines;
    // Only the line that sends the command may post it.
    if (pending.async && pending.followUp.empty()) lines.push_back(L"Sync.async = True");
    if (pending.kind == L"key") {
        const size_t sep = pending.comment.find(L'\x1f');
        const std::wstring target = pending.comment.substr(0, sep);
        const std::wstring where = sep == std::wstring::npos ? std::wstring() : pending.comment.substr(sep + 1);
        lines.push_back(Commented(target + L".keys " + Quote(pending.statement), where));
    } else {
        lines.push_back(Commented(pending.statement, pending.comment));
    }
    if (!pending.followUp.empty()) {
        if (pending.async) lines.push_back(L"Sync.async = True");
        lines.push_back(pending.followUp);
    }
    pending = Pending();
    return lines;
}

ScriptWriter::Lines ScriptWriter::Add(const ActionRecord& action) {
    Lines lines;
    if (!action.has(L"pid") || !action.has(L"top")) return lines;
    // Runs that end as one line: typing into one field, selections in one combo box or
    // tab control, keys pressed on one window.
    const std::wstring kind = action.kind();
    if (kind == L"closed") {
        const long long top = action.number(L"top");
        if (pending_.active && pending_.command && pending_.top == top) pending_.async = true;
        // A later window with the same handle is a new window.
        auto known = windows_.find(top);
        if (known != windows_.end() && top != action.number(L"root")) windows_.erase(known);
        return lines;
    }
    const long long control = action.has(L"ctl") ? action.number(L"ctl") : action.number(L"top");
    const bool known = windows_.count(action.number(L"top")) != 0;
    if (kind == L"text") {
        auto last = texts_.find(control);
        if (last != texts_.end() && last->second == action.text(L"text")) return lines;
        texts_[control] = action.text(L"text");
    }
    if (known && pending_.active && pending_.kind == kind && pending_.control == control &&
        (kind == L"text" || kind == L"combo" || kind == L"tab" || kind == L"key")) {
        Pending next = Statement(windows_[action.number(L"top")], action);
        if (!next.active) return lines;
        if (kind == L"key") next.statement = pending_.statement + next.statement;
        next.async = pending_.async;
        pending_ = next;
        return lines;
    }
    const std::wstring variable = WindowVariable(action, lines);
    Pending next = Statement(variable, action);
    if (!next.active) return lines;
    Lines flushed = Emit(pending_);
    lines.insert(lines.end(), flushed.begin(), flushed.end());
    pending_ = next;
    return lines;
}

ScriptWriter::Lines ScriptWriter::Flush() { return Emit(pending_); }

ScriptWriter::Lines ScriptWriter::ApplicationEnded(long long processId, const std::wstring& exe) {
    Lines lines;
    auto app = applications_.find(processId);
    if (app == applications_.end()) return lines;
    lines = Emit(pending_);
    lines.push_back(L"' " + exe + L" (process " + std::to_wstring(processId) + L") ended here; the recording goes on");
    // A later window of the same name belongs to a new process: it gets its own variable.
    const std::wstring variable = app->second;
    applications_.erase(app);
    for (auto it = windows_.begin(); it != windows_.end();) {
        if (it->second == variable) it = windows_.erase(it);
        else ++it;
    }
    return lines;
}

} // namespace recorder
