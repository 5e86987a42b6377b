#include "framework/RichEditView.h"
#include "framework/Document.h"
#include "framework/FrameworkIds.h"
#include "framework/MDIChildWnd.h"
#include <richedit.h>

CRichEditView::CRichEditView() {
    AddCommand(ID_EDIT_CUT, [this] { ::SendMessageW(hwnd_, WM_CUT, 0, 0); });
    AddCommand(ID_EDIT_COPY, [this] { ::SendMessageW(hwnd_, WM_COPY, 0, 0); });
    AddCommand(ID_EDIT_PASTE, [this] { ::SendMessageW(hwnd_, WM_PASTE, 0, 0); });
    AddCommand(ID_EDIT_UNDO, [this] { ::SendMessageW(hwnd_, EM_UNDO, 0, 0); });
    AddCommand(ID_EDIT_SELECT_ALL, [this] { ::SendMessageW(hwnd_, EM_SETSEL, 0, -1); });
    auto selection = [this](CCmdUI& ui) {
        bool readOnly = (::GetWindowLongW(hwnd_, GWL_STYLE) & ES_READONLY) != 0;
        ui.Enable(HasSelection() && (ui.id() == ID_EDIT_COPY || !readOnly));
    };
    AddUpdate(ID_EDIT_CUT, selection);
    AddUpdate(ID_EDIT_COPY, selection);
    AddUpdate(ID_EDIT_PASTE, [this](CCmdUI& ui) { ui.Enable(::SendMessageW(hwnd_, EM_CANPASTE, 0, 0) != 0); });
    AddUpdate(ID_EDIT_UNDO, [this](CCmdUI& ui) { ui.Enable(::SendMessageW(hwnd_, EM_CANUNDO, 0, 0) != 0); });
}

DWORD CRichEditView::EditStyle() const {
    return WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
           ES_NOHIDESEL | ES_WANTRETURN | ES_SAVESEL | ES_SELECTIONBAR;
}

bool CRichEditView::Create(CMDIChildWnd* parent, CDocument* document) {
    static HMODULE riched = ::LoadLibraryW(L"riched20.dll");
    if (!riched) return false;
    if (!CreateEx(0, RICHEDIT_CLASSW, nullptr, EditStyle(), 0, 0, 0, 0, parent->hwnd(),
                  reinterpret_cast<HMENU>(0xE900)))
        return false;
    ::SendMessageW(hwnd_, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE);
    ::SendMessageW(hwnd_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    Attach(parent, document);
    return true;
}

void CRichEditView::SetWindowTextW(const std::wstring& text) {
    SetText(text);
    ::SendMessageW(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
}

bool CRichEditView::HasSelection() const {
    CHARRANGE range{};
    ::SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range.cpMax != range.cpMin;
}

bool CRichEditView::OnReflectedCommand(UINT code) {
    if (code == EN_CHANGE && document_) {
        document_->SetModifiedFlag(true);
        return true;
    }
    return false;
}
