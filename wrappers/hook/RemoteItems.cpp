#include "wrappers/hook/RemoteItems.h"
#include "common/Bstr.h"
#include "common/TextConv.h"
#include "ostrel/ostrel.h"
#include "wrappers/core/MatchText.h"
#include "wrappers/hook/SendRemote.h"
#include <boost/tokenizer.hpp>
#include <algorithm>

namespace wrappers {

const ItemListMessages kListBoxMessages = {LB_GETCOUNT,      LB_GETTEXTLEN,   LB_GETTEXT,     LB_ADDSTRING,
                                           LB_DELETESTRING,  LB_RESETCONTENT, LB_GETITEMDATA, LB_SETITEMDATA};
const ItemListMessages kComboBoxMessages = {CB_GETCOUNT,     CB_GETLBTEXTLEN, CB_GETLBTEXT,   CB_ADDSTRING,
                                            CB_DELETESTRING, CB_RESETCONTENT, CB_GETITEMDATA, CB_SETITEMDATA};

const VARIANT& variantValue(const VARIANT& value) {
    const VARIANT* v = &value;
    // A chain of references ends in a value; a few steps are all a script engine makes.
    for (int i = 0; i < 4 && v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal; ++i) v = v->pvarVal;
    return *v;
}

bool variantInteger(const VARIANT& value, LONG* number) {
    const VARIANT& v = variantValue(value);
    switch (v.vt) {
    case VT_I2: *number = v.iVal; return true;
    case VT_I4: *number = v.lVal; return true;
    case VT_I2 | VT_BYREF: if (!v.piVal) return false; *number = *v.piVal; return true;
    case VT_I4 | VT_BYREF: if (!v.plVal) return false; *number = *v.plVal; return true;
    default: return false;
    }
}

bool variantString(const VARIANT& value, std::wstring* text) {
    const VARIANT& v = variantValue(value);
    if (v.vt == VT_BSTR) {
        *text = bstrText(v.bstrVal);
        return true;
    }
    if (v.vt == (VT_BSTR | VT_BYREF) && v.pbstrVal) {
        *text = bstrText(*v.pbstrVal);
        return true;
    }
    return false;
}

std::wstring bstrText(BSTR text) { return common::BstrText(text); }

std::wstring readRemoteAnsi(RemoteProcess& process, ULONG_PTR address, size_t maxBytes) {
    std::string text;
    const size_t page = 4096;
    while (address && text.size() < maxBytes) {
        size_t chunk = std::min(maxBytes - text.size(), page - static_cast<size_t>(address % page));
        std::string part(chunk, '\0');
        SIZE_T done = 0;
        if (!::ReadProcessMemory(process.handle(), reinterpret_cast<const void*>(address), &part[0], chunk, &done) ||
            done != chunk)
            break;
        size_t end = part.find('\0');
        text.append(part, 0, end == std::string::npos ? chunk : end);
        if (end != std::string::npos) break;
        address += chunk;
    }
    return common::AnsiToWide(text);
}

std::wstring itemTextAt(RemoteProcess& process, ULONG_PTR at, ULONG_PTR ownText, const char* peek, size_t maxBytes) {
    if (at == ownText) {
        if (const void* end = std::memchr(peek, '\0', kItemTextPeek))
            return common::AnsiToWide(std::string(peek, static_cast<const char*>(end)));
    }
    return readRemoteAnsi(process, at, maxBytes);
}

std::unique_ptr<RemoteBuffer> remoteAnsi(RemoteProcess& process, const std::wstring& text) {
    std::string ansi = common::WideToAnsi(text);
    if (ansi.size() >= kOstrelMaxBlockSize) throw RemoteError(L"The text is too long for the control");
    auto buffer = std::make_unique<RemoteBuffer>(process, ansi.size() + 1);
    buffer->write(ansi.c_str(), ansi.size() + 1);
    return buffer;
}

std::vector<std::wstring> splitFields(const std::wstring& text, const std::wstring& separators) {
    using Separator = boost::char_separator<wchar_t>;
    using Tokenizer = boost::tokenizer<Separator, std::wstring::const_iterator, std::wstring>;
    Tokenizer tokens(text, Separator(separators.c_str(), L"", boost::drop_empty_tokens));
    return std::vector<std::wstring>(tokens.begin(), tokens.end());
}

ItemList::ItemList(const HookChannel& channel, std::shared_ptr<RemoteSession> session, HWND control,
                   const ItemListMessages& messages)
    : channel_(channel), session_(std::move(session)), control_(control), messages_(messages) {}

RemoteProcess& ItemList::process() {
    if (!process_) process_ = std::make_unique<RemoteProcess>(channel_);
    return *process_;
}

LRESULT ItemList::send(UINT message, WPARAM wParam, LPARAM lParam) {
    return sendDirect(control_, message, wParam, lParam);
}

LONG ItemList::count() { return static_cast<LONG>(send(messages_.getCount, 0, 0)); }

std::wstring ItemList::text(LONG index) {
    if (index < 0) return L"";
    const LRESULT length = send(messages_.getTextLen, static_cast<WPARAM>(index), 0);
    if (length < 0) return L"";  // LB_ERR / CB_ERR: no such item
    // Twice the length: the length may count characters where the text has double bytes.
    const size_t bytes = 2 * (static_cast<size_t>(length) + 1);
    if (bytes > kOstrelMaxBlockSize) throw RemoteError(L"The item's text is too long to read");
    // The text comes back with the request in one read.
    std::string ansi(bytes, '\0');
    RemoteSession::Lease lease(session_, bytes);
    if (lease.sendWith(control_, messages_.getText, static_cast<WPARAM>(index), static_cast<LPARAM>(lease.address()),
                       ansi.data(), 1, &ansi[0], bytes) < 0)
        return L"";
    ansi.resize(std::min(ansi.find('\0'), bytes));
    return common::AnsiToWide(ansi);
}

LONG ItemList::find(const std::wstring& pattern) {
    const LONG n = count();
    for (LONG i = 0; i < n; ++i) {
        if (matchText(text(i), pattern)) return i;
    }
    return -1;
}

LONG ItemList::resolve(const VARIANT& item) {
    LONG index = -1;
    if (variantInteger(item, &index)) return index;
    std::wstring pattern;
    if (variantString(item, &pattern)) return find(pattern);
    return -1;
}

LONG ItemList::add(const std::wstring& text, bool post) {
    if (post) {
        auto buffer = remoteAnsi(process(), text);
        return static_cast<LONG>(sendRemote(process(), control_, messages_.addString, 0, buffer->lparam(), true));
    }
    const std::string ansi = common::WideToAnsi(text);
    if (ansi.size() >= kOstrelMaxBlockSize) throw RemoteError(L"The text is too long for the control");
    RemoteSession::Lease lease(session_, ansi.size() + 1);
    return static_cast<LONG>(lease.send(control_, messages_.addString, 0, ansi.c_str(), ansi.size() + 1, nullptr, 0));
}

} // namespace wrappers
