#include "framework/Window.h"
#include <commctrl.h>
#include <vector>

namespace {
const wchar_t kObjectProp[] = L"Tevrin.Window";
const UINT_PTR kSubclassId = 0x54657672; // any constant of ours
}

HINSTANCE FrameworkInstance() { return ::GetModuleHandleW(nullptr); }

std::wstring LoadResString(UINT id) {
    const wchar_t* text = nullptr;
    int n = ::LoadStringW(FrameworkInstance(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return n > 0 ? std::wstring(text, n) : std::wstring();
}

CWindow::~CWindow() {
    if (hwnd_) {
        // The object goes first: the window must not call into freed memory.
        HWND h = hwnd_;
        Unsubclass();
        ::RemovePropW(h, kObjectProp);
        hwnd_ = nullptr;
        if (::IsWindow(h)) ::DestroyWindow(h);
    }
}

CWindow* CWindow::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<CWindow*>(::GetPropW(hwnd, kObjectProp)) : nullptr;
}

CWindow*& CWindow::Creating() {
    thread_local CWindow* creating = nullptr;
    return creating;
}

const wchar_t* CWindow::RegisterClass(const wchar_t* name, UINT style, HCURSOR cursor,
                                      HBRUSH background, HICON icon) {
    WNDCLASSEXW wc{};
    if (::GetClassInfoExW(FrameworkInstance(), name, &wc)) return name;
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = FrameworkInstance();
    wc.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    ::RegisterClassExW(&wc);
    return name;
}

bool CWindow::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                       int x, int y, int cx, int cy, HWND parent, HMENU menuOrId, void* param) {
    CWindow* previous = Creating();
    Creating() = this;
    HWND h = ::CreateWindowExW(exStyle, className, title, style, x, y, cx, cy, parent, menuOrId,
                               FrameworkInstance(), param);
    Creating() = previous;
    if (h && !hwnd_) Subclass(h); // a class not registered by us
    return h != nullptr;
}

void CWindow::Bind(HWND hwnd) {
    hwnd_ = hwnd;
    ::SetPropW(hwnd, kObjectProp, this);
}

bool CWindow::Subclass(HWND hwnd) {
    if (!hwnd || hwnd_) return false;
    if (!::SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    subclassed_ = true;
    Bind(hwnd);
    return true;
}

void CWindow::Unsubclass() {
    if (hwnd_ && subclassed_) {
        ::RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
        subclassed_ = false;
    }
}

bool CWindow::DestroyWindow() { return hwnd_ && ::DestroyWindow(hwnd_); }

bool CWindow::PreTranslateMessage(MSG*) { return false; }

std::wstring CWindow::GetText() const {
    int n = ::GetWindowTextLengthW(hwnd_);
    std::wstring s(n + 1, L'\0');
    n = ::GetWindowTextW(hwnd_, &s[0], n + 1);
    s.resize(n > 0 ? n : 0);
    return s;
}

RECT CWindow::ClientRect() const {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return r;
}

RECT CWindow::WindowRect() const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return r;
}

LRESULT CALLBACK CWindow::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWindow* self = FromHandle(hwnd);
    if (!self) {
        self = Creating();
        if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
        Creating() = nullptr; // only the first window of this creation is ours
        self->Bind(hwnd);
    }
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK CWindow::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR refData) {
    auto* self = reinterpret_cast<CWindow*>(refData);
    if (msg == WM_NCDESTROY) {
        // Leave the chain before the window goes; the rest of the chain still runs.
        ::RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        self->subclassed_ = false;
        LRESULT r = ::DefSubclassProc(hwnd, msg, wParam, lParam);
        ::RemovePropW(hwnd, kObjectProp);
        self->hwnd_ = nullptr;
        // Inside a message of its own (a close that destroys), the object may be deleted
        // only once that message is done with it.
        if (self->dispatchDepth_ > 0) self->destroyed_ = true;
        else self->PostNcDestroy();
        return r;
    }
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT CWindow::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    CurrentMessage saved = current_;
    current_ = {msg, wParam, lParam};
    ++dispatchDepth_;
    LRESULT r = WindowProc(msg, wParam, lParam);
    --dispatchDepth_;
    current_ = saved;
    if (msg == WM_NCDESTROY && !subclassed_) {
        ::RemovePropW(hwnd_, kObjectProp);
        hwnd_ = nullptr;
        destroyed_ = true;
    }
    // The window went while one of its messages was handled (WM_CLOSE, a button that
    // closes): the object goes when the outermost of them is done with it.
    if (destroyed_ && dispatchDepth_ == 0) {
        destroyed_ = false;
        PostNcDestroy();
    }
    return r;
}

LRESULT CWindow::Default() { return DefWindowProc(current_.msg, current_.wParam, current_.lParam); }

LRESULT CWindow::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (subclassed_) return ::DefSubclassProc(hwnd_, msg, wParam, lParam);
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void CWindow::PostNcDestroy() {
    if (deleteOnDestroy) delete this;
}

LRESULT CWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        LRESULT r = Default();
        if (r == -1) return -1;
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
    }
    case WM_DESTROY:
        OnDestroy();
        return Default();
    case WM_SIZE:
        Default();
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
        return Default();
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(reinterpret_cast<NMHDR*>(lParam), &result)) return result;
        return Default();
    }
    case WM_PAINT:
        OnPaint();
        return 0;
    default:
        return Default();
    }
}
