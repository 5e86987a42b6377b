#include "editor/CMardelView.h"
#include "common/TextConv.h"
#include "editor/CMardelDoc.h"
#include "framework/Application.h"
#include "framework/MDIChildWnd.h"
#include "host/ScriptHost.h"
#include <commctrl.h>
#include <richedit.h>
#include <algorithm>
#include <cwchar>
#include <map>
#include <mutex>

namespace {

host::ScriptHost* g_scriptHost = nullptr;
constexpr UINT_PTR kReflectSubclassId = 0x4D56;  // "MV"

bool SamePath(const std::string& a, const std::string& b) {
    return !a.empty() && a.size() == b.size() &&
           ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                            static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::wstring ExtensionOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    const size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return std::wstring();
    return path.substr(dot + 1);
}

} // namespace

void CMardelView::SetScriptHost(host::ScriptHost* host) { g_scriptHost = host; }
host::ScriptHost* CMardelView::scriptHost() { return g_scriptHost; }

bool CMardelView::HostRunState::IsScriptRunning() const { return g_scriptHost && g_scriptHost->running(); }

CMardelView::CMardelView() : editor_(std::make_unique<editor::CSyntaxEditor>()) {
    ::LoadLibraryW(L"RICHED20.DLL");
    AddCommand(kToggleBreakpointCommand, [this] { ToggleBreakpoint(); });
    AddUpdate(kToggleBreakpointCommand, [this](CCmdUI& ui) { ui.Enable(mardelDoc() && !mardelDoc()->GetPathName().empty()); });
    AddCommand(kFindCommand, [this] {
        bool handled = false;
        if (editor_) editor_->OnMessage(WM_COMMAND, kFindCommand, 0, &handled);
    });
    AddCommand(kPropertiesCommand, [this] {
        if (CApplication* app = CApplication::Get()) app->DoMessageBox(PropertiesText(), MB_OK | MB_ICONINFORMATION);
    });
    AddCommand(kReplaceCommand, [this] {
        bool handled = false;
        if (editor_) editor_->OnMessage(WM_COMMAND, kReplaceCommand, 0, &handled);
    });
}

CMardelView::~CMardelView() {
    anchors_.clear();
    textDocument_.Reset();
    editor_.reset();
}

DWORD CMardelView::EditStyle() const {
    return WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL;
}

CMardelDoc* CMardelView::mardelDoc() const { return dynamic_cast<CMardelDoc*>(GetDocument()); }

bool CMardelView::Create(CMDIChildWnd* parent, CDocument* document) {
    if (!CRichEditView::Create(parent, document)) return false;
    // The margin is set up from the control's size: give it its real size first.
    const RECT client = parent->ClientRect();
    ::MoveWindow(hwnd_, 0, 0, client.right, client.bottom, FALSE);
    if (FAILED(editor_->Attach(hwnd_, L"languages", L"tagclass", nullptr, nullptr)) ||
        FAILED(editor_->GetTextDocument(&textDocument_))) {
        if (!(g_scriptHost && g_scriptHost->consoleMode()))
            if (CApplication* app = CApplication::Get())
                app->DoMessageBox(L"Cannot find initialization files", MB_OK | MB_ICONSTOP);
        // The child frame deletes the view when Create fails.
        deleteOnDestroy = false;
        DestroyWindow();
        return false;
    }
    editor_->SetRunState(&runState_);
    subclassedParent_ = parent->hwnd();
    ::SetWindowSubclass(subclassedParent_, &CMardelView::ParentProc, kReflectSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
    return true;
}

void CMardelView::OnDestroy() {
    if (subclassedParent_) {
        ::RemoveWindowSubclass(subclassedParent_, &CMardelView::ParentProc, kReflectSubclassId);
        subclassedParent_ = nullptr;
    }
    // Every reference into the control's text object model goes while the control still
    // exists: the last one released after it would free the text services on a host that
    // is gone. The component holds such references too, so it goes with them.
    anchors_.clear();
    textDocument_.Reset();
    editor_.reset();
    CRichEditView::OnDestroy();
}

void CMardelView::OnSize(UINT type, int cx, int cy) {
    CRichEditView::OnSize(type, cx, cy);
    if (!editor_ || cx <= 0 || cy <= 0) return;
    // The text keeps its distance from the margin at any size.
    RECT rect{editor::CSyntaxEditor::kMarginWidth, 0, cx, cy};
    ::SendMessageW(hwnd_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rect));
}

LRESULT CALLBACK CMardelView::ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* view = reinterpret_cast<CMardelView*>(data);
    if (msg == WM_NOTIFY && lParam) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (view && view->hwnd_ && header->hwndFrom == view->hwnd_) {
            LRESULT result = 0;
            if (view->OnEditNotify(header, &result)) return result;
        }
    } else if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &CMardelView::ParentProc, kReflectSubclassId);
        if (view && view->subclassedParent_ == hwnd) view->subclassedParent_ = nullptr;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool CMardelView::OnEditNotify(NMHDR* header, LRESULT* result) {
    if (!editor_ || !hwnd_) return false;
    if (header->code == EN_MSGFILTER) {
        // The run state is tested at every key or click rather than pushed to the views.
        editor::FollowRunState(hwnd_, reinterpret_cast<MSGFILTER*>(header)->msg, runState_);
    }
    return editor_->OnNotify(header->code, header, result);
}

bool CMardelView::OnReflectedCommand(UINT code) {
    if (code == EN_CHANGE) return CRichEditView::OnReflectedCommand(code);
    if (!editor_ || !hwnd_) return false;
    bool handled = false;
    editor_->OnMessage(WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd_), code), reinterpret_cast<LPARAM>(hwnd_), &handled);
    return handled;
}

void CMardelView::OnTextChanged() {
    CRichEditView::OnTextChanged();  // marks the document modified; its other views follow
    if (SynchronizeBreakpointLines()) AnnounceBreakpointChange();
    UpdateTitle();
}

void CMardelView::OnPreparePrinting() {
    if (editor_) editor_->ColorAll();
}

bool CMardelView::TextLocked() const { return runState_.IsScriptRunning() || CRichEditView::TextLocked(); }

void CMardelView::UpdateTitle() {
    CMardelDoc* doc = mardelDoc();
    if (!doc) return;
    std::wstring title;
    const std::wstring& path = doc->GetPathName();
    if (!path.empty()) {
        const size_t slash = path.find_last_of(L"\\/");
        title = slash == std::wstring::npos ? path : path.substr(slash + 1);
    } else {
        title = doc->ProposedFileName();
    }
    if (doc->IsModified()) title += CMardelDoc::kModifiedMark;
    if (title != doc->GetTitle()) doc->SetTitle(title);
}

void CMardelView::OnInitialUpdate() {
    if (!editor_) return;
    // A second window onto the script shows its text before anchors are placed in it.
    TakeTextOfOtherViews();
    printMargins_ = RECT{kPrintMargin, kPrintMargin, kPrintMargin, kPrintMargin};
    CMardelDoc* doc = mardelDoc();
    editor_->SetLanguageByExtension(doc ? ExtensionOf(doc->GetPathName()) : std::wstring());
    RefreshBreakpointMarkers();
    ShowCurrentPosition();
}

void CMardelView::OnUpdate(CView*, LPARAM hint) {
    if (hint == kHintBreakpoints) {
        RefreshBreakpointMarkers();
    } else if (hint == kHintCurrentPosition) {
        ShowCurrentPosition();
    }
}

void CMardelView::OnPathChanged(const std::wstring& path) {
    if (!editor_ || !hwnd_) return;
    editor_->SetLanguageByExtension(ExtensionOf(path));
    editor_->ForgetColored(0, -1);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void CMardelView::ShowCurrentPosition() {
    if (!editor_) return;
    CMardelDoc* doc = mardelDoc();
    if (!g_scriptHost || !doc) {
        editor_->SetCurrentLine(-1);
        return;
    }
    const int line = g_scriptHost->currentLine();
    editor_->SetCurrentLine(SamePath(doc->HostPath(), g_scriptHost->currentFile()) ? line : -1);
}

// ---- breakpoints ----

namespace {

// 1-based line of a range's start; the control's own count where the text object model
// has no line unit.
long LineOfRange(HWND window, ITextRange* range) {
    long index = 0;
    if (range->GetIndex(tomLine, &index) == S_OK && index > 0) return index;
    long start = 0;
    range->GetStart(&start);
    return static_cast<long>(::SendMessageW(window, EM_EXLINEFROMCHAR, 0, start)) + 1;
}

} // namespace

void CMardelView::RefreshBreakpointMarkers() {
    anchors_.clear();
    CMardelDoc* doc = mardelDoc();
    if (g_scriptHost && doc && textDocument_) {
        const std::string path = doc->HostPath();
        const std::vector<host::BreakpointRecord> list = g_scriptHost->breakpoints();
        for (size_t i = 0; i < list.size(); ++i) {
            if (!SamePath(list[i].file, path)) continue;
            Microsoft::WRL::ComPtr<ITextRange> range;
            const long position = std::max(0L, static_cast<long>(list[i].charPosition));
            if (FAILED(textDocument_->Range(position, position, &range)) || !range) continue;
            anchors_.push_back(Anchor{range, i, list[i].file, list[i].line});
        }
    }
    GiveMarkersToEditor();
}

void CMardelView::GiveMarkersToEditor() {
    if (!editor_) return;
    std::map<int, bool> markers;
    if (g_scriptHost) {
        const std::vector<host::BreakpointRecord> list = g_scriptHost->breakpoints();
        for (const Anchor& anchor : anchors_) {
            if (anchor.index >= list.size() || list[anchor.index].file != anchor.file) continue;
            markers[list[anchor.index].line + 1] = list[anchor.index].enabled;
        }
    }
    editor_->SetBreakpoints(markers);
}

bool CMardelView::SynchronizeBreakpointLines() {
    if (!g_scriptHost || anchors_.empty() || !hwnd_) return false;
    bool changed = false;
    bool stale = false;
    g_scriptHost->EditBreakpoints([&](std::vector<host::BreakpointRecord>& list) {
        for (Anchor& anchor : anchors_) {
            if (anchor.index >= list.size() || list[anchor.index].file != anchor.file ||
                list[anchor.index].line != anchor.line) {
                stale = true;  // the list changed without telling this view
                continue;
            }
            host::BreakpointRecord& record = list[anchor.index];
            const int line = static_cast<int>(LineOfRange(hwnd_, anchor.range.Get())) - 1;
            long position = record.charPosition;
            anchor.range->GetStart(&position);
            // The position follows the anchor too: a later reload of the anchors (any
            // breakpoint change) places them from it, and the next run asks the engine
            // for code there.
            record.charPosition = position;
            if (line != record.line) {
                record.line = line;
                anchor.line = line;
                changed = true;
            }
        }
    });
    if (stale) {
        RefreshBreakpointMarkers();
        return changed;
    }
    if (changed) GiveMarkersToEditor();
    return changed;
}

std::wstring CMardelView::PropertiesText() const {
    const CMardelDoc* doc = mardelDoc();
    const std::wstring path = doc ? doc->GetPathName() : std::wstring();
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT characters = ::SendMessageW(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    const LRESULT lines = ::SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0);
    // The editor knows a language by its section in languages.ini.
    std::wstring language = editor_ ? editor_->Language() : std::wstring();
    static const std::pair<const wchar_t*, const wchar_t*> kLanguageNames[] = {
        {L"vbs", L"VBScript"}, {L"js", L"JScript"}, {L"cpp", L"C++"}, {L"vb", L"Visual Basic"}, {L"pas", L"Pascal"}};
    for (const auto& [section, name] : kLanguageNames)
        if (_wcsicmp(language.c_str(), section) == 0) language = name;
    std::wstring text = L"File: " + (path.empty() ? std::wstring(L"not saved yet") : path) + L"\n";
    text += L"Language: " + (language.empty() ? std::wstring(L"plain text") : language) + L"\n";
    text += L"Lines: " + std::to_wstring(lines) + L"\n";
    text += L"Characters: " + std::to_wstring(characters) + L"\n";
    text += L"Breakpoints: " + std::to_wstring(anchors_.size()) + L"\n";
    text += std::wstring(L"Unsaved changes: ") + (doc && doc->IsModified() ? L"yes" : L"no");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    SYSTEMTIME utc{}, local{};
    if (!path.empty() && ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
        ::FileTimeToSystemTime(&data.ftLastWriteTime, &utc) && ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        wchar_t saved[64];
        std::swprintf(saved, 64, L"%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
                      local.wMinute, local.wSecond);
        text += L"\nOn disk: " + std::to_wstring(size) + L" bytes, written " + saved;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) text += L", read-only";
    } else if (!path.empty()) {
        text += L"\nOn disk: the file is missing";
    }
    return text;
}

void CMardelView::ToggleBreakpoint() {
    CMardelDoc* doc = mardelDoc();
    if (!g_scriptHost || !doc || !textDocument_ || !hwnd_) return;
    if (doc->GetPathName().empty()) {
        // An unnamed script has no file a breakpoint could name.
        ::MessageBeep(MB_ICONWARNING);
        return;
    }
    Microsoft::WRL::ComPtr<ITextSelection> selection;
    if (FAILED(textDocument_->GetSelection(&selection)) || !selection) return;
    long start = 0;
    selection->GetStart(&start);
    host::BreakpointRecord record;
    record.charPosition = start;
    record.line = static_cast<int>(LineOfRange(hwnd_, selection.Get())) - 1;
    record.enabled = true;
    record.file = doc->HostPath();
    g_scriptHost->ToggleBreakpoint(record);
    RefreshBreakpointMarkers();
    AnnounceBreakpointChange();
}

void CMardelView::AnnounceBreakpointChange() {
    if (!g_scriptHost || g_scriptHost->consoleMode()) return;
    if (host::HostApplication* application = g_scriptHost->application()) application->RefreshBreakpointViews();
}

// ---- showing a line ----

void CMardelView::ShowLine(int line1Based, bool markFrame) {
    if (!hwnd_ || !editor_) return;
    const long lineCount = static_cast<long>(::SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0));
    const long target = std::max(0L, std::min(static_cast<long>(line1Based) - 1, lineCount - 1));
    // Fully visible lines: the last, partly visible one does not count.
    const long first = static_cast<long>(::SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0));
    RECT rect{};
    ::SendMessageW(hwnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
    POINTL bottom{rect.left, rect.bottom - 1};
    const long lastChar = static_cast<long>(::SendMessageW(hwnd_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom)));
    long last = static_cast<long>(::SendMessageW(hwnd_, EM_EXLINEFROMCHAR, 0, std::max(0L, lastChar))) - 1;
    if (last < first) last = first;
    if (target < first || target > last) {
        // Five lines of context on the side the text comes from.
        long scroll = 0;
        if (target < first)
            scroll = std::max(0L, target - 5) - first;
        else
            scroll = std::min(lineCount - 1, target + 5) - last;
        ::SendMessageW(hwnd_, EM_LINESCROLL, 0, scroll);
    }
    if (markFrame) editor_->SetFrameLine(line1Based);
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}
