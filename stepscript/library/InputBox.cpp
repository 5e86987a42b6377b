#include "stepscript/library/BuiltinSupport.h"

namespace stepscript {
namespace builtins {
namespace {

enum : WORD { kPrompt = 100, kEdit = 101 };

// A dialog template built in memory: DLGTEMPLATE, then each DLGITEMTEMPLATE on a
// DWORD boundary, strings as UTF-16.
class Template {
public:
    void word(WORD w) { data_.push_back(w); }
    void text(const std::wstring& s) {
        for (wchar_t c : s) data_.push_back(static_cast<WORD>(c));
        data_.push_back(0);
    }
    void align() {
        if (data_.size() % 2) data_.push_back(0);
    }
    void dword(DWORD d) {
        word(LOWORD(d));
        word(HIWORD(d));
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const std::wstring& caption) {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(static_cast<WORD>(x));
        word(static_cast<WORD>(y));
        word(static_cast<WORD>(cx));
        word(static_cast<WORD>(cy));
        word(id);
        word(0xFFFF);
        word(cls);
        text(caption);
        word(0);
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

private:
    std::vector<WORD> data_;
};

struct State {
    const std::wstring* initial;
    std::wstring answer;
};

INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        ::SetWindowLongPtrW(dlg, DWLP_USER, lp);
        auto* state = reinterpret_cast<State*>(lp);
        ::SetDlgItemTextW(dlg, kEdit, state->initial->c_str());
        ::SendDlgItemMessageW(dlg, kEdit, EM_SETSEL, 0, -1);
        ::SetFocus(::GetDlgItem(dlg, kEdit));
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            auto* state = reinterpret_cast<State*>(::GetWindowLongPtrW(dlg, DWLP_USER));
            HWND edit = ::GetDlgItem(dlg, kEdit);
            int length = ::GetWindowTextLengthW(edit);
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            text.resize(static_cast<size_t>(::GetWindowTextW(edit, &text[0], length + 1)));
            state->answer = text;
            ::EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            ::EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        break;
    default: break;
    }
    return FALSE;
}

} // namespace

std::wstring ShowInputBox(const std::wstring& prompt, const std::wstring& title, const std::wstring& initial,
                          bool& cancelled) {
    Template t;
    t.dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.dword(0);
    t.word(4);  // items
    t.word(0);
    t.word(0);
    t.word(240);
    t.word(96);
    t.word(0);  // no menu
    t.word(0);  // default class
    t.text(title);
    t.word(8);
    t.text(L"MS Shell Dlg");
    t.item(SS_LEFT, 7, 7, 170, 56, kPrompt, 0x0082, prompt.size() > 1024 ? prompt.substr(0, 1024) : prompt);
    t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 185, 7, 48, 14, IDOK, 0x0080, L"OK");
    t.item(BS_PUSHBUTTON | WS_TABSTOP, 185, 25, 48, 14, IDCANCEL, 0x0080, L"Cancel");
    t.item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 72, 226, 14, kEdit, 0x0081, L"");
    State state{&initial, {}};
    INT_PTR r = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.get(), ::GetActiveWindow(), Proc,
                                          reinterpret_cast<LPARAM>(&state));
    if (r == -1) RaiseError(errors::kCannotPerform);
    cancelled = r != IDOK;
    return state.answer;
}

} // namespace builtins
} // namespace stepscript
