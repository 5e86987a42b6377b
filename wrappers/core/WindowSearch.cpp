#include "wrappers/core/WindowSearch.h"
#include "common/Bstr.h"
#include "common/TextConv.h"
#include "wrappers/core/MatchText.h"
#include <oleauto.h>
#include <exception>
#include <vector>

namespace wrappers {
namespace {

// Longest window text read; a control claiming more is read up to this size.
const LRESULT kMaxWindowText = 16 * 1024 * 1024;

struct TopLevelSearch {
    std::optional<std::wstring> titlePattern;
    std::optional<std::wstring> classPattern;
    DWORD threadId = 0;
    DWORD processId = 0;
    bool stopAtFirst = false;
    HWND result = nullptr;
    std::exception_ptr error;  // never let an exception cross the system's enumeration
};

bool isMainWindowStyle(LONG_PTR style) {
    return !(style & WS_POPUP) && (style & WS_VISIBLE) && (style & (WS_BORDER | WS_DLGFRAME));
}

// The caption of a top-level window. Another process's caption is the one the system
// keeps (no message is sent, so a window whose thread does not answer cannot stall a
// search over every window of the desktop); our own windows answer WM_GETTEXT.
std::wstring topLevelTitle(HWND window, DWORD processId) {
    if (processId == ::GetCurrentProcessId()) return readWindowText(window);
    const int length = ::GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::vector<char> buffer(2 * static_cast<size_t>(length) + 2, '\0');
    const int copied = ::GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
    return common::AnsiToWide(std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0));
}

BOOL CALLBACK MainWindowFilter(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TopLevelSearch*>(param);
    try {
        DWORD processId = 0;
        DWORD threadId = ::GetWindowThreadProcessId(window, &processId);
        if (search->threadId && search->threadId != threadId) return TRUE;
        if (search->processId && search->processId != processId) return TRUE;
        if (search->classPattern && !search->classPattern->empty() &&
            !matchText(readClassName(window), search->classPattern))
            return TRUE;
        if (search->titlePattern && !search->titlePattern->empty() &&
            !matchText(topLevelTitle(window, processId), search->titlePattern))
            return TRUE;
        if (search->stopAtFirst) {
            search->result = window;
            return FALSE;
        }
        if (!search->result || isMainWindowStyle(::GetWindowLongPtrW(window, GWL_STYLE)))
            search->result = window;
        return TRUE;
    } catch (...) {
        search->error = std::current_exception();
        return FALSE;
    }
}

HWND runTopLevelSearch(TopLevelSearch& search) {
    ::EnumWindows(MainWindowFilter, reinterpret_cast<LPARAM>(&search));
    if (search.error) std::rethrow_exception(search.error);
    return search.result;
}

struct DescendantSearch {
    const WindowId* id;
    const std::wstring* classPattern;
    long counter = 0;
    HWND result = nullptr;
    std::exception_ptr error;
};

BOOL CALLBACK DescendantFilter(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DescendantSearch*>(param);
    try {
        if (!search->classPattern->empty() && !matchText(readClassName(window), *search->classPattern))
            return TRUE;
        switch (search->id->kind) {
        case WindowId::Kind::Index:
            if (search->id->index == search->counter) {
                search->result = window;
                return FALSE;
            }
            break;
        case WindowId::Kind::Title:
            if (search->id->title.empty() || matchText(readWindowText(window), search->id->title)) {
                search->result = window;
                return FALSE;
            }
            break;
        case WindowId::Kind::Other:
            break;
        }
        ++search->counter;
        return TRUE;
    } catch (...) {
        search->error = std::current_exception();
        return FALSE;
    }
}

} // namespace

WindowId WindowId::from(const VARIANT* value) {
    if (!value) return ofIndex(0);
    VARIANT plain;
    ::VariantInit(&plain);
    if (FAILED(::VariantCopyInd(&plain, const_cast<VARIANT*>(value)))) return WindowId{Kind::Other, 0, {}};
    WindowId id{Kind::Other, 0, {}};
    switch (plain.vt) {
    case VT_ERROR: id = ofIndex(0); break;
    case VT_I2: id = ofIndex(plain.iVal); break;
    case VT_I4: id = ofIndex(plain.lVal); break;
    case VT_BSTR: id = ofTitle(common::BstrText(plain.bstrVal)); break;
    default: break;
    }
    ::VariantClear(&plain);
    return id;
}

std::wstring readWindowText(HWND window, DWORD timeout) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout, &length))
        return {};
    LRESULT n = static_cast<LRESULT>(length);
    if (n <= 0) return {};
    if (n > kMaxWindowText) n = kMaxWindowText;
    // Room for a double-byte text and the terminator, whatever the code page.
    std::vector<char> buffer(2 * static_cast<size_t>(n) + 2, '\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout, &copied))
        return {};
    buffer[static_cast<size_t>(n)] = '\0';
    return common::AnsiToWide(std::string(buffer.data()));
}

std::wstring readClassName(HWND window) {
    char name[1024] = {};
    int n = ::GetClassNameA(window, name, 1024);
    if (n <= 0) return {};
    return common::AnsiToWide(std::string(name, static_cast<size_t>(n)));
}

HWND findWindow(HWND bound, DWORD processId, const WindowId& id, const std::wstring& classPattern,
                bool forceTopLevel) {
    if (forceTopLevel || !::GetParent(bound)) {
        TopLevelSearch search;
        if (id.kind == WindowId::Kind::Title) search.titlePattern = id.title;
        search.classPattern = classPattern;
        search.processId = processId;
        search.stopAtFirst = true;
        if (HWND found = runTopLevelSearch(search)) return found;
    }
    DescendantSearch search{&id, &classPattern, 0, nullptr, nullptr};
    // A stale handle has no descendants; EnumChildWindows then just reports failure.
    if (bound) {
        ::EnumChildWindows(bound, DescendantFilter, reinterpret_cast<LPARAM>(&search));
        if (search.error) std::rethrow_exception(search.error);
        if (search.result) return search.result;
    }
    // The bound window itself, when its class matches. A title must match it too:
    // otherwise waiting for a dialog by title from a main window of the dialog class
    // would answer at once with the main window.
    if (!classPattern.empty() && bound && ::IsWindow(bound) && matchText(readClassName(bound), classPattern)) {
        if (id.kind == WindowId::Kind::Index) return bound;
        if (id.kind == WindowId::Kind::Title && (id.title.empty() || matchText(readWindowText(bound), id.title)))
            return bound;
    }
    return nullptr;
}

HWND findMainWindow(const std::optional<std::wstring>& titlePattern, DWORD threadId, DWORD processId) {
    TopLevelSearch search;
    search.titlePattern = titlePattern;
    search.threadId = threadId;
    search.processId = processId;
    return runTopLevelSearch(search);
}

std::wstring windowNotFoundMessage(const WindowId& id, const std::wstring& classPattern) {
    std::wstring message = L"Cannot find window ";
    if (id.kind == WindowId::Kind::Index)
        message += L"index " + std::to_wstring(id.index);
    else
        message += L"with title '" + id.title + L"'";
    return message + L" of class " + classPattern;
}

} // namespace wrappers
