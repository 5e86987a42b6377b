#pragma once
// How the Window Explorer names what it shows: role names (the names of the wrappers'
// role properties), node texts that read like role-property calls, the filter of the
// hidden standard frame parts, handle texts and the dotted path.
#include <windows.h>
#include <oleacc.h>
#include <string>
#include <vector>

namespace explorer {

// "accTitleBar" for ROLE_SYSTEM_TITLEBAR (1) ... "accOutlineButton" for 64; else "unknown".
const wchar_t* RoleName(long role);
// The role name of a get_accRole result; "unknown" for anything but a known number.
std::wstring RoleName(const VARIANT& role);

// role("name"), or role("value") when the name is empty or too long, or role().
std::wstring NodeText(const std::wstring& roleName, const std::wstring& name, const std::wstring& value);
// The node text of `child` of `object`, read through the object.
std::wstring NodeText(IAccessible* object, const VARIANT& child);

// True for the standard frame parts a window reports but does not show: an invisible
// title bar, system or application menu bar, vertical or horizontal scroll bar, or size box.
bool IsHiddenFramePart(long role, long state, const std::wstring& name);
bool IsHiddenFramePart(IAccessible* object, const VARIANT& child);

// "0x%08X".
std::wstring FormatHandle(HWND window);

// The path of role-property calls from the root to an item: its texts joined with ".",
// a simple element's "[ ... ]" brackets left out so the chain stays a script expression.
std::wstring JoinPath(const std::vector<std::wstring>& itemTexts);

// A text of an accessible object (name, value, description); empty when the call fails.
enum class AccText { Name, Value, Description };
bool ReadText(IAccessible* object, const VARIANT& child, AccText which, std::wstring& text);

} // namespace explorer
