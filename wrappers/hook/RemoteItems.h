#pragma once
// Helpers of the item wrappers (list box, combo box, tab, list view, tree view): item
// arguments as scripts pass them, and ANSI texts inside the process under test.
#include "wrappers/hook/RemoteBuffer.h"
#include "wrappers/hook/RemoteSession.h"
#include <oaidl.h>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace wrappers {

// A script variable passed to a VARIANT parameter arrives as a reference to its value;
// this is the value itself.
const VARIANT& variantValue(const VARIANT& value);
// VT_I2 / VT_I4 (after references): the number.
bool variantInteger(const VARIANT& value, LONG* number);
// VT_BSTR (after references): the text (a null string is empty).
bool variantString(const VARIANT& value, std::wstring* text);
std::wstring bstrText(BSTR text);

// The ANSI text at `address` in the target, up to its first NUL or `maxBytes`, read page
// by page so that a string near the end of a mapping is still read.
std::wstring readRemoteAnsi(RemoteProcess& process, ULONG_PTR address, size_t maxBytes);

// The start of an item's text comes back with the item; longer texts take a second read.
const size_t kItemTextPeek = 256;

// The text an item read left at `at`: taken from `peek` (the first kItemTextPeek bytes
// of our own text area at `ownText`) when it lies there and ends within them, else read.
std::wstring itemTextAt(RemoteProcess& process, ULONG_PTR at, ULONG_PTR ownText, const char* peek, size_t maxBytes);

// Reads an item whose record names a text area (its `text` member): the record goes
// over first in the session's block with an empty text area of textBytes after it, and
// comes back with the start of the text in the same read. False when the message
// answered 0 (no such item); *result is then empty.
template <typename Record>
bool readItemText(const std::shared_ptr<RemoteSession>& session, HWND control, UINT message, Record& record,
                  LPSTR Record::*text, size_t textBytes, std::wstring* result) {
    result->clear();
    RemoteSession::Lease lease(session, sizeof(Record) + textBytes);
    const ULONG_PTR ownText = lease.addressAt(sizeof(Record));
    record.*text = reinterpret_cast<LPSTR>(ownText);
    // Empty, so that an item the control leaves alone does not show the text read before.
    char data[sizeof(Record) + 1] = {};
    std::memcpy(data, &record, sizeof record);
    char back[sizeof(Record) + kItemTextPeek];
    if (!lease.send(control, message, 0, data, sizeof data, back, sizeof back)) return false;
    std::memcpy(&record, back, sizeof record);
    // The control may point the text at its own storage.
    *result = itemTextAt(lease.process(), reinterpret_cast<ULONG_PTR>(record.*text), ownText, back + sizeof(Record),
                         textBytes);
    return true;
}

// A block holding the ANSI form of `text` with its terminator.
std::unique_ptr<RemoteBuffer> remoteAnsi(RemoteProcess& process, const std::wstring& text);

// Splits at every character of `separators`, dropping empty fields.
std::vector<std::wstring> splitFields(const std::wstring& text, const std::wstring& separators);

// Messages of the item lists of list boxes and combo boxes.
struct ItemListMessages {
    UINT getCount, getTextLen, getText, addString, deleteString, resetContent, getItemData, setItemData;
};
extern const ItemListMessages kListBoxMessages;
extern const ItemListMessages kComboBoxMessages;

// The items of one list box or combo box of the target.
class ItemList {
public:
    // Synchronous requests go through `session`; posted ones open the process themselves.
    ItemList(const HookChannel& channel, std::shared_ptr<RemoteSession> session, HWND control,
             const ItemListMessages& messages);

    LONG count();
    // Text of an item; empty for -1 or an index the control does not have.
    std::wstring text(LONG index);
    // Index of the first item whose text matches `pattern` (matchText), else -1.
    LONG find(const std::wstring& pattern);
    // An item argument: VT_I2/VT_I4 index, VT_BSTR pattern, anything else -1.
    LONG resolve(const VARIANT& item);
    // Adds an item; the new index (not known when posted).
    LONG add(const std::wstring& text, bool post);
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam);

private:
    RemoteProcess& process();

    HookChannel channel_;
    std::shared_ptr<RemoteSession> session_;
    HWND control_;
    const ItemListMessages& messages_;
    std::unique_ptr<RemoteProcess> process_;
};

} // namespace wrappers
