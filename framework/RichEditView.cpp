#include "framework/RichEditView.h"
#include "common/GdiOwners.h"
#include "common/UniqueHandle.h"
#include "framework/Application.h"
#include "framework/Document.h"
#include "framework/FrameworkIds.h"
#include "framework/MDIChildWnd.h"
#include "framework/PrintPreview.h"
#include "framework/PrintedPages.h"
#include "framework/RichEditDoc.h"
#include <commdlg.h>
#include <richedit.h>
#include <algorithm>

CRichEditView::CRichEditView() {
    AddCommand(ID_EDIT_CUT, [this] {
        if (!TextLocked()) ::SendMessageW(hwnd_, WM_CUT, 0, 0);
    });
    AddCommand(ID_EDIT_COPY, [this] { ::SendMessageW(hwnd_, WM_COPY, 0, 0); });
    AddCommand(ID_EDIT_PASTE, [this] {
        if (!TextLocked()) ::SendMessageW(hwnd_, WM_PASTE, 0, 0);
    });
    AddCommand(ID_EDIT_UNDO, [this] {
        if (!TextLocked()) ::SendMessageW(hwnd_, EM_UNDO, 0, 0);
    });
    AddCommand(ID_EDIT_SELECT_ALL, [this] { ::SendMessageW(hwnd_, EM_SETSEL, 0, -1); });
    AddCommand(ID_FILE_PRINT, [this] { Print(); });
    AddCommand(ID_FILE_PRINT_PREVIEW, [this] { CPrintPreview::Open(this); });
    auto selection = [this](CCmdUI& ui) { ui.Enable(HasSelection() && (ui.id() == ID_EDIT_COPY || !TextLocked())); };
    AddUpdate(ID_EDIT_CUT, selection);
    AddUpdate(ID_EDIT_COPY, selection);
    AddUpdate(ID_EDIT_PASTE, [this](CCmdUI& ui) { ui.Enable(!TextLocked() && ::SendMessageW(hwnd_, EM_CANPASTE, 0, 0) != 0); });
    AddUpdate(ID_EDIT_UNDO, [this](CCmdUI& ui) { ui.Enable(!TextLocked() && ::SendMessageW(hwnd_, EM_CANUNDO, 0, 0) != 0); });
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

bool CRichEditView::TextLocked() const { return (::GetWindowLongW(hwnd_, GWL_STYLE) & ES_READONLY) != 0; }

bool CRichEditView::HasSelection() const {
    CHARRANGE range{};
    ::SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range.cpMax != range.cpMin;
}

std::wstring CRichEditView::ControlText() const {
    GETTEXTLENGTHEX measure{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT length = ::SendMessageW(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&measure), 0);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX request{};
    request.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    request.flags = GT_DEFAULT;  // paragraph marks stay single characters
    request.codepage = 1200;
    const LRESULT copied = ::SendMessageW(hwnd_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                          reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void CRichEditView::TakeChange(long start, long end, const std::wstring& text) {
    CHARRANGE selection{};
    ::SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    POINT scroll{};
    ::SendMessageW(hwnd_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    const bool readOnly = (::GetWindowLongW(hwnd_, GWL_STYLE) & ES_READONLY) != 0;
    ::SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    if (readOnly) ::SendMessageW(hwnd_, EM_SETREADONLY, FALSE, 0);
    CHARRANGE range{start, end};
    ::SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    // Undoable here too: this view's undo steps must stay true to its own text.
    ::SendMessageW(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    if (readOnly) ::SendMessageW(hwnd_, EM_SETREADONLY, TRUE, 0);
    // What lay after the change moves with it; what lay inside stays inside the new text.
    const long newEnd = start + static_cast<long>(text.size());
    const auto follow = [&](LONG position) -> LONG {
        if (position >= end) return position + (newEnd - end);
        if (position > start) return std::min<LONG>(position, newEnd);
        return position;
    };
    CHARRANGE kept{follow(selection.cpMin), follow(selection.cpMax)};
    ::SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    ::SendMessageW(hwnd_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    ::SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

int CRichEditView::LayOutPages(HDC dc, SIZE pageTwips, int drawPage, bool printing) {
    if (!hwnd_ || !dc) return 0;
    OnPreparePrinting();
    const CPrintedPages pages(hwnd_, dc, pageTwips, PrintMargins());
    const int count = pages.PageCount();
    for (int page = 0; page < count; ++page) {
        if (!printing) {
            if (page == drawPage) pages.DrawPage(page);
            continue;
        }
        if (::StartPage(dc) <= 0) return 0;
        pages.DrawPage(page);
        if (::EndPage(dc) <= 0) return 0;
    }
    return count;
}

std::unique_ptr<CPrintedPages> CRichEditView::PreparePages(HDC dc, SIZE pageTwips) {
    if (!hwnd_ || !dc) return nullptr;
    OnPreparePrinting();
    return std::make_unique<CPrintedPages>(hwnd_, dc, pageTwips, PrintMargins());
}

void CRichEditView::Print() {
    PRINTDLGW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = ::GetAncestor(hwnd_, GA_ROOT);
    dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
    const BOOL chosen = ::PrintDlgW(&dialog);
    const common::UniqueGlobal devMode(dialog.hDevMode), devNames(dialog.hDevNames);
    const common::MemoryDc printer(dialog.hDC);
    CApplication* app = CApplication::Get();
    if (!chosen) {
        // Cancelled is no failure; a failed dialog is. Without any printer the dialog
        // has said so itself.
        const DWORD error = ::CommDlgExtendedError();
        if (error != 0 && error != PDERR_NODEFAULTPRN && app)
            app->DoMessageBox(L"Failed to print document.", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!printer) return;
    const SIZE pageTwips{::MulDiv(::GetDeviceCaps(printer.get(), PHYSICALWIDTH), 1440,
                                  std::max(1, ::GetDeviceCaps(printer.get(), LOGPIXELSX))),
                         ::MulDiv(::GetDeviceCaps(printer.get(), PHYSICALHEIGHT), 1440,
                                  std::max(1, ::GetDeviceCaps(printer.get(), LOGPIXELSY)))};
    const std::wstring title = document_ ? document_->GetTitle() : std::wstring(L"Untitled");
    DOCINFOW info{};
    info.cbSize = sizeof(info);
    info.lpszDocName = title.c_str();
    bool printed = ::StartDocW(printer.get(), &info) > 0;
    if (printed) {
        printed = LayOutPages(printer.get(), pageTwips, -1, true) > 0;
        if (printed) printed = ::EndDoc(printer.get()) > 0;
        else ::AbortDoc(printer.get());
    }
    if (!printed && app) app->DoMessageBox(L"Failed to print document.", MB_OK | MB_ICONEXCLAMATION);
}

void CRichEditView::TakeTextOfOtherViews() {
    auto* doc = dynamic_cast<CRichEditDoc*>(document_);
    if (!doc) return;
    for (CView* view : doc->views()) {
        auto* other = dynamic_cast<CRichEditView*>(view);
        if (!other || other == this || !other->hwnd()) continue;
        doc->CopyText(*other, *this);
        // The copy is no edit of this window: nothing to undo.
        ::SendMessageW(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
        return;
    }
}

void CRichEditView::OnInitialUpdate() {
    TakeTextOfOtherViews();
    CView::OnInitialUpdate();
}

void CRichEditView::OnTextChanged() {
    if (!document_) return;
    document_->SetModifiedFlag(true);
    if (auto* doc = dynamic_cast<CRichEditDoc*>(document_)) doc->OnViewTextChanged(this);
}

bool CRichEditView::OnReflectedCommand(UINT code) {
    if (code != EN_CHANGE) return false;
    // A change copied from another view was that view's edit, announced there already.
    auto* doc = dynamic_cast<CRichEditDoc*>(document_);
    if (!(doc && doc->CopyingText())) OnTextChanged();
    return true;
}
