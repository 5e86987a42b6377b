// The recorder's eyes inside the application under test. Two process-wide hooks watch
// what the tester's input does: the notifications controls send their parents (button
// clicks, selections, menu and toolbar commands), keys and clicks on windows no
// notification describes. Each action is described here, where the windows are local
// and cheap to read, and handed to the recorder's window at once with WM_COPYDATA; the
// recorder turns the descriptions into script lines.
//
// The hooks never change, drop or post the application's messages; they only read.
#define OSTREL_BUILD
#include "ostrel.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

// Shared by every process that loads the library: where reports go, and whose reports
// are not wanted (the recorder's own process).
volatile ULONG_PTR g_sink __attribute__((section(".ostrrec"), shared)) = 0;
volatile DWORD g_recorderProcess __attribute__((section(".ostrrec"), shared)) = 0;

// Hooks installed by the recorder's process (meaningful there only).
HHOOK g_callHook = nullptr;
HHOOK g_getHook = nullptr;

// A notification counts as the tester's only shortly after real input reached this
// process; the application's own selections while it fills a list are not actions.
const DWORD kInputWindow = 1500;
volatile DWORD g_lastInput = 0;
volatile bool g_sawInput = false;
// A menu command taken from the queue and not yet finished: what the application does
// while it carries it out (selecting the item it made, say) is not the tester's action.
volatile bool g_inMenuCommand = false;
// The edit field the last key went down in: only that field's text is read when the key
// comes up (a field the key itself opened has not been typed into).
volatile HWND g_typedEdit = nullptr;

// A report waits at most this long for the recorder: a busy recorder loses a line, the
// application is never held up for long.
const UINT kReportTimeout = 2000;
const size_t kMaxText = 32768;

bool Recording() { return g_sink != 0 && ::GetCurrentProcessId() != g_recorderProcess; }

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(window, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    if (text.size() > kMaxText) text.resize(kMaxText);
    return text;
}

std::wstring Number(LONG_PTR value) { return std::to_wstring(static_cast<long long>(value)); }

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, ::lstrlenW(prefix), prefix) == 0;
}

bool IsEditClass(const std::wstring& cls) {
    return ::lstrcmpiW(cls.c_str(), L"Edit") == 0 || StartsWith(cls, L"RichEdit") || StartsWith(cls, L"RICHEDIT");
}

// Classes whose clicks are described by their notifications (or mean nothing by
// themselves); a click on any other window is recorded by its position.
bool IsKnownClass(const std::wstring& cls) {
    static const wchar_t* const known[] = {
        L"Button", L"ComboBox", L"ComboLBox", L"ListBox", L"Edit", L"Static", L"ScrollBar", L"#32768", L"#32770",
        L"SysListView32", L"SysTreeView32", L"SysTabControl32", L"ToolbarWindow32", L"SysHeader32",
        L"msctls_statusbar32", L"msctls_trackbar32", L"msctls_updown32", L"msctls_progress32", L"ComboBoxEx32",
        L"ReBarWindow32", L"tooltips_class32", L"MDIClient", L"SysLink", L"SysIPAddress32", L"SysDateTimePick32",
        L"SysMonthCal32", L"SysPager", L"SysAnimate32", L"msctls_hotkey32"};
    for (const wchar_t* name : known)
        if (::lstrcmpiW(cls.c_str(), name) == 0) return true;
    return StartsWith(cls, L"RichEdit") || StartsWith(cls, L"RICHEDIT");
}

class Report {
public:
    void add(const wchar_t* key, const std::wstring& value) {
        data_.insert(data_.end(), key, key + ::lstrlenW(key) + 1);
        data_.insert(data_.end(), value.begin(), value.end());
        data_.push_back(L'\0');
    }
    void send() const {
        const HWND sink = reinterpret_cast<HWND>(g_sink);
        if (!sink) return;
        COPYDATASTRUCT copy = {};
        copy.dwData = kOstrelRecordTag;
        copy.cbData = static_cast<DWORD>(data_.size() * sizeof(wchar_t));
        copy.lpData = const_cast<wchar_t*>(data_.data());
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(sink, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, kReportTimeout,
                              &result);
    }

private:
    std::vector<wchar_t> data_;
};

struct SameClassCount {
    std::wstring cls;
    std::wstring title;
    HWND target;
    int index = -1;      // position of target among the descendants of its class
    int seen = 0;
    int sameTitle = 0;   // descendants of the class with the target's title
};

BOOL CALLBACK CountSameClass(HWND window, LPARAM param) {
    SameClassCount& count = *reinterpret_cast<SameClassCount*>(param);
    if (ClassOf(window) != count.cls) return TRUE;
    if (window == count.target) count.index = count.seen;
    if (TextOf(window) == count.title) ++count.sameTitle;
    ++count.seen;
    return TRUE;
}

// The window an action happened in, with what naming it needs: its top-level window,
// the application's main window (the owner at the root), and the control itself among
// the descendants of its top-level window.
void Describe(Report& report, HWND control) {
    HWND top = ::GetAncestor(control, GA_ROOT);
    if (!top) top = control;
    HWND root = ::GetAncestor(top, GA_ROOTOWNER);
    if (!root) root = top;
    wchar_t image[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, image, MAX_PATH);
    const wchar_t* name = image;
    for (const wchar_t* p = image; *p; ++p)
        if (*p == L'\\' || *p == L'/') name = p + 1;

    report.add(L"pid", Number(::GetCurrentProcessId()));
    report.add(L"exe", name);
    report.add(L"top", Number(reinterpret_cast<LONG_PTR>(top)));
    report.add(L"topTitle", TextOf(top));
    report.add(L"topClass", ClassOf(top));
    report.add(L"root", Number(reinterpret_cast<LONG_PTR>(root)));
    report.add(L"rootTitle", TextOf(root));
    report.add(L"rootClass", ClassOf(root));
    if (control == top) return;
    const std::wstring cls = ClassOf(control);
    SameClassCount count{cls, TextOf(control), control};
    ::EnumChildWindows(top, CountSameClass, reinterpret_cast<LPARAM>(&count));
    report.add(L"ctl", Number(reinterpret_cast<LONG_PTR>(control)));
    report.add(L"ctlClass", cls);
    report.add(L"ctlTitle", count.title);
    report.add(L"ctlIndex", Number(count.index));
    report.add(L"ctlSameTitle", Number(count.sameTitle));
    report.add(L"ctlId", Number(::GetDlgCtrlID(control)));
    report.add(L"ctlParentIsTop", ::GetParent(control) == top ? L"1" : L"0");
    report.add(L"ctlStyle", Number(::GetWindowLongW(control, GWL_STYLE)));
}

bool RecentInput() {
    return g_sawInput && !g_inMenuCommand && ::GetTickCount() - g_lastInput < kInputWindow;
}

// The path of menu texts that leads to a command, searched depth first.
bool FindMenuPath(HMENU menu, UINT id, std::wstring& path, int depth) {
    if (depth > 8) return false;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 512, MF_BYPOSITION);
        if (HMENU sub = ::GetSubMenu(menu, i)) {
            std::wstring inner;
            if (FindMenuPath(sub, id, inner, depth + 1)) {
                path = std::wstring(text) + L'\x1f' + inner;
                return true;
            }
        } else if (::GetMenuItemID(menu, i) == id) {
            path = text;
            return true;
        }
    }
    return false;
}

void OnMenuCommand(HWND owner, UINT id) {
    HMENU bar = ::GetMenu(owner);
    std::wstring path;
    if (!bar || !FindMenuPath(bar, id, path, 0)) return;
    Report report;
    report.add(L"kind", L"menu");
    report.add(L"path", path);
    Describe(report, owner);
    report.send();
}

std::wstring ListBoxItem(HWND list, UINT lenMsg, UINT textMsg, LRESULT index) {
    const LRESULT length = ::SendMessageW(list, lenMsg, static_cast<WPARAM>(index), 0);
    if (length < 0 || static_cast<size_t>(length) > kMaxText) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = ::SendMessageW(list, textMsg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

// Items of a list or combo box with the same text as the chosen one.
int SameItems(HWND list, UINT countMsg, UINT lenMsg, UINT textMsg, const std::wstring& text) {
    const LRESULT count = ::SendMessageW(list, countMsg, 0, 0);
    int same = 0;
    for (LRESULT i = 0; i < count && i < 4096; ++i)
        if (ListBoxItem(list, lenMsg, textMsg, i) == text) ++same;
    return same;
}

void OnControlCommand(HWND control, UINT code) {
    const std::wstring cls = ClassOf(control);
    Report report;
    if (cls == L"Button") {
        if (code != BN_CLICKED) return;
        const LONG type = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
        const bool checkable = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                               type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
        report.add(L"kind", checkable ? L"check" : L"push");
        if (checkable) report.add(L"check", ::SendMessageW(control, BM_GETCHECK, 0, 0) ? L"1" : L"0");
    } else if (cls == L"ComboBox") {
        if (code != CBN_SELCHANGE) return;
        const LRESULT index = ::SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (index < 0) return;
        const std::wstring text = ListBoxItem(control, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
        report.add(L"kind", L"combo");
        report.add(L"item", text);
        report.add(L"itemIndex", Number(index));
        report.add(L"itemSame", Number(SameItems(control, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, text)));
    } else if (cls == L"ListBox") {
        if (code != LBN_SELCHANGE) return;
        const LRESULT index = ::SendMessageW(control, LB_GETCURSEL, 0, 0);
        if (index < 0) return;
        const std::wstring text = ListBoxItem(control, LB_GETTEXTLEN, LB_GETTEXT, index);
        report.add(L"kind", L"list");
        report.add(L"item", text);
        report.add(L"itemIndex", Number(index));
        report.add(L"itemSame", Number(SameItems(control, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, text)));
    } else {
        return;
    }
    Describe(report, control);
    report.send();
}

void OnToolbarCommand(HWND toolbar, UINT id) {
    const LRESULT index = ::SendMessageW(toolbar, TB_COMMANDTOINDEX, id, 0);
    if (index < 0) return;
    wchar_t text[512] = {};
    const LRESULT length = ::SendMessageW(toolbar, TB_GETBUTTONTEXTW, id, 0);
    if (length > 0 && length < 512) ::SendMessageW(toolbar, TB_GETBUTTONTEXTW, id, reinterpret_cast<LPARAM>(text));
    Report report;
    report.add(L"kind", L"toolbar");
    report.add(L"item", text);
    report.add(L"itemIndex", Number(index));
    Describe(report, toolbar);
    report.send();
}

void OnCommand(HWND target, WPARAM wParam, LPARAM lParam) {
    const HWND source = reinterpret_cast<HWND>(lParam);
    const UINT code = HIWORD(wParam);
    if (!source) {
        // Menu commands have code 0; accelerators (code 1) are recorded as their keys.
        if (code == 0) OnMenuCommand(target, LOWORD(wParam));
        return;
    }
    if (!RecentInput() || !::IsWindow(source)) return;
    if (ClassOf(source) == L"ToolbarWindow32") OnToolbarCommand(source, LOWORD(wParam));
    else OnControlCommand(source, code);
}

void OnNotify(const NMHDR& header) {
    if (!RecentInput() || !header.hwndFrom) return;
    Report report;
    const HWND control = header.hwndFrom;
    const std::wstring cls = ClassOf(control);
    if (header.code == TCN_SELCHANGE && cls == L"SysTabControl32") {
        const LRESULT index = ::SendMessageW(control, TCM_GETCURSEL, 0, 0);
        if (index < 0) return;
        wchar_t text[512] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 512;
        ::SendMessageW(control, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        report.add(L"kind", L"tab");
        report.add(L"item", item.pszText ? item.pszText : L"");
        report.add(L"itemIndex", Number(index));
    } else if ((header.code == TVN_SELCHANGEDW || header.code == TVN_SELCHANGEDA) && cls == L"SysTreeView32") {
        const NMTREEVIEWW& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        if (!change.itemNew.hItem) return;
        wchar_t text[1024] = {};
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = change.itemNew.hItem;
        item.pszText = text;
        item.cchTextMax = 1024;
        ::SendMessageW(control, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        report.add(L"kind", L"tree");
        report.add(L"item", item.pszText ? item.pszText : L"");
    } else if (header.code == LVN_ITEMCHANGED && cls == L"SysListView32") {
        const NMLISTVIEW& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (change.iItem < 0 || !(change.uChanged & LVIF_STATE) || !(change.uNewState & LVIS_SELECTED) ||
            (change.uOldState & LVIS_SELECTED))
            return;
        wchar_t text[1024] = {};
        LVITEMW item = {};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = 1024;
        ::SendMessageW(control, LVM_GETITEMTEXTW, static_cast<WPARAM>(change.iItem), reinterpret_cast<LPARAM>(&item));
        report.add(L"kind", L"listview");
        report.add(L"item", text);
        report.add(L"itemIndex", Number(change.iItem));
    } else {
        return;
    }
    Describe(report, control);
    report.send();
}

bool KeyIsDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

void OnKeyDown(const MSG& message) {
    const UINT vk = static_cast<UINT>(message.wParam);
    if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || vk == VK_LWIN || vk == VK_RWIN || vk == VK_CAPITAL)
        return;
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (::GetGUIThreadInfo(::GetCurrentThreadId(), &info) && (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)))
        return;
    const HWND target = message.hwnd;
    const bool ctrl = KeyIsDown(VK_CONTROL);
    const bool alt = KeyIsDown(VK_MENU);
    // Keys in an edit field are recorded as the text they make (read when the key comes
    // up); the dialog keys there (Enter, Escape) are recorded by the buttons they press.
    if (IsEditClass(ClassOf(target))) return;
    Report report;
    report.add(L"kind", L"key");
    report.add(L"vk", Number(vk));
    report.add(L"char", Number(static_cast<LONG_PTR>(::MapVirtualKeyW(vk, MAPVK_VK_TO_CHAR) & 0xFFFF)));
    report.add(L"shift", KeyIsDown(VK_SHIFT) ? L"1" : L"0");
    report.add(L"ctrl", ctrl ? L"1" : L"0");
    report.add(L"alt", alt ? L"1" : L"0");
    Describe(report, target);
    report.send();
}

void OnTypedText(HWND edit) {
    if (!::IsWindow(edit)) return;
    Report report;
    report.add(L"kind", L"text");
    report.add(L"text", TextOf(edit));
    Describe(report, edit);
    report.send();
}

void OnButtonDown(const MSG& message) {
    const HWND target = message.hwnd;
    if (!target || IsKnownClass(ClassOf(target))) return;
    // A click on a top-level window's own client area with nothing else in it is as
    // unnameable as one on a custom control; both are recorded by position.
    Report report;
    report.add(L"kind", L"click");
    report.add(L"x", Number(static_cast<short>(LOWORD(message.lParam))));
    report.add(L"y", Number(static_cast<short>(HIWORD(message.lParam))));
    report.add(L"button", message.message == WM_RBUTTONDOWN ? L"1" : L"0");
    Describe(report, target);
    report.send();
}

// A top-level window going away: a command that closed it must not wait for it when the
// script runs (some windows close only once a message reaches their queue).
void OnDestroy(HWND window) {
    if (::GetAncestor(window, GA_ROOT) != window) return;
    if ((::GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) return;
    Report report;
    report.add(L"kind", L"closed");
    Describe(report, window);
    report.send();
}

void NoteInput() {
    g_lastInput = ::GetTickCount();
    g_sawInput = true;
}

} // namespace

extern "C" LRESULT CALLBACK RecordGetMsgProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && lParam && Recording()) {
        const MSG& message = *reinterpret_cast<const MSG*>(lParam);
        // The thread asks for its next message: the one before is done with.
        g_inMenuCommand = false;
        if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
            NoteInput();
            g_typedEdit = message.hwnd && IsEditClass(ClassOf(message.hwnd)) ? message.hwnd : nullptr;
            // Alt with a letter or digit opens a menu, whose command is what is recorded;
            // other Alt chords (Alt+F4) are keys.
            const WPARAM vk = message.wParam;
            const bool menuKey = (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9') || vk == VK_MENU;
            if (message.message == WM_KEYDOWN || !menuKey) OnKeyDown(message);
        } else if (message.message == WM_KEYUP || message.message == WM_SYSKEYUP) {
            NoteInput();
            // A key comes up after the characters it made reached the field (they are
            // posted, and posted messages come before input): the text is complete.
            if (message.hwnd && message.hwnd == g_typedEdit) OnTypedText(message.hwnd);
        } else if (message.message == WM_LBUTTONDOWN || message.message == WM_RBUTTONDOWN) {
            NoteInput();
            OnButtonDown(message);
        } else if ((message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST &&
                    message.message != WM_MOUSEMOVE) ||
                   (message.message >= WM_NCLBUTTONDOWN && message.message <= WM_NCMBUTTONDBLCLK)) {
            NoteInput();
        } else if (message.message == WM_COMMAND && !message.lParam) {
            OnCommand(message.hwnd, message.wParam, message.lParam);
            g_inMenuCommand = HIWORD(message.wParam) == 0;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" LRESULT CALLBACK RecordCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && lParam && Recording()) {
        const CWPSTRUCT& message = *reinterpret_cast<const CWPSTRUCT*>(lParam);
        // Only messages sent by this thread carry pointers of this process (the hook's
        // wParam is non-zero for those).
        if (wParam) {
            if (message.message == WM_COMMAND) OnCommand(message.hwnd, message.wParam, message.lParam);
            else if (message.message == WM_NOTIFY && message.lParam)
                OnNotify(*reinterpret_cast<const NMHDR*>(message.lParam));
            else if (message.message == WM_DESTROY)
                OnDestroy(message.hwnd);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" BOOL WINAPI OstrelStartRecording(HWND sink) {
    if (!sink || g_callHook || g_getHook) return FALSE;
    // One recorder at a time: a second would take the reports away from the first. A
    // recorder that ended without stopping leaves no window behind, and does not count.
    const HWND current = reinterpret_cast<HWND>(g_sink);
    if (current && ::IsWindow(current)) return FALSE;
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&RecordCallWndProc), &self);
    g_recorderProcess = ::GetCurrentProcessId();
    g_sink = reinterpret_cast<ULONG_PTR>(sink);
    g_callHook = ::SetWindowsHookExW(WH_CALLWNDPROC, RecordCallWndProc, self, 0);
    g_getHook = ::SetWindowsHookExW(WH_GETMESSAGE, RecordGetMsgProc, self, 0);
    if (!g_callHook || !g_getHook) {
        OstrelStopRecording();
        return FALSE;
    }
    return TRUE;
}

extern "C" void WINAPI OstrelStopRecording() {
    g_sink = 0;
    if (g_callHook) ::UnhookWindowsHookEx(g_callHook);
    if (g_getHook) ::UnhookWindowsHookEx(g_getHook);
    g_callHook = nullptr;
    g_getHook = nullptr;
}
