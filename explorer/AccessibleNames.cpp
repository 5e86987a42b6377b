#include "explorer/AccessibleNames.h"
#include "common/Bstr.h"
#include "common/Variant.h"
#include <cstdio>

namespace explorer {

namespace {

const wchar_t* const kRoleNames[] = {
    L"accTitleBar", L"accMenuBar", L"accScrollBar", L"accGrip", L"accSound", L"accCursor", L"accCaret",
    L"accAlert", L"accWindow", L"accClient", L"accMenuPopup", L"accMenuItem", L"accTooltip",
    L"accApplication", L"accDocument", L"accPane", L"accChart", L"accDialog", L"accBorder", L"accGrouping",
    L"accSeparator", L"accToolbar", L"accStatusBar", L"accTable", L"accColHeader", L"accRowHeader",
    L"accColumn", L"accRow", L"accCell", L"accLink", L"accHelpBalloon", L"accCharacter", L"accList",
    L"accListItem", L"accOutline", L"accOutlineItem", L"accPageTab", L"accPropPage", L"accIndicator",
    L"accGraphic", L"accStaticText", L"accText", L"accPushButton", L"accCheckButton", L"accRadioButton",
    L"accComboBox", L"accDropList", L"accProgressBar", L"accDial", L"accHotkeyField", L"accSlider",
    L"accSpinButton", L"accDiagram", L"accAnimation", L"accEquation", L"accButtonDropDown", L"accButtonMenu",
    L"accButtonDropDownGrid", L"accWhitespace", L"accPageTabList", L"accClock", L"accSplitButton",
    L"accIPAddress", L"accOutlineButton"};
static_assert(sizeof(kRoleNames) / sizeof(kRoleNames[0]) == ROLE_SYSTEM_OUTLINEBUTTON,
              "one name per role from the title bar to the outline button");

// Names longer than this are not worth a node text (a document's whole text, say).
const size_t kMaxNodeTextLength = 260;

} // namespace

const wchar_t* RoleName(long role) {
    if (role >= ROLE_SYSTEM_TITLEBAR && role <= ROLE_SYSTEM_OUTLINEBUTTON) return kRoleNames[role - 1];
    return L"unknown";
}

std::wstring RoleName(const VARIANT& role) {
    if (role.vt == VT_I4) return RoleName(role.lVal);
    return L"unknown";
}

std::wstring NodeText(const std::wstring& roleName, const std::wstring& name, const std::wstring& value) {
    std::wstring text = roleName + L"(";
    if (!name.empty() && name.size() < kMaxNodeTextLength)
        text += L"\"" + name + L"\"";
    else if (!value.empty() && value.size() < kMaxNodeTextLength)
        text += L"\"" + value + L"\"";
    return text + L")";
}

bool ReadText(IAccessible* object, const VARIANT& child, AccText which, std::wstring& text) {
    text.clear();
    if (!object) return false;
    common::Bstr value;
    HRESULT hr = E_FAIL;
    switch (which) {
    case AccText::Name: hr = object->get_accName(child, value.put()); break;
    case AccText::Value: hr = object->get_accValue(child, value.put()); break;
    case AccText::Description: hr = object->get_accDescription(child, value.put()); break;
    }
    if (FAILED(hr)) return false;
    text = value.str();
    return true;
}

std::wstring NodeText(IAccessible* object, const VARIANT& child) {
    common::Variant role;
    std::wstring roleName = L"unknown";
    if (SUCCEEDED(object->get_accRole(child, role.put()))) roleName = RoleName(*role.get());
    std::wstring name, value;
    ReadText(object, child, AccText::Name, name);
    if (name.empty() || name.size() >= kMaxNodeTextLength) ReadText(object, child, AccText::Value, value);
    return NodeText(roleName, name, value);
}

bool IsHiddenFramePart(long role, long state, const std::wstring& name) {
    if (!(state & STATE_SYSTEM_INVISIBLE)) return false;
    auto is = [&name](const wchar_t* expected) { return ::lstrcmpiW(name.c_str(), expected) == 0; };
    switch (role) {
    case ROLE_SYSTEM_TITLEBAR: return true;
    case ROLE_SYSTEM_MENUBAR: return is(L"System") || is(L"Application");
    case ROLE_SYSTEM_SCROLLBAR: return is(L"Vertical") || is(L"Horizontal");
    case ROLE_SYSTEM_GRIP: return is(L"Size box");
    default: return false;
    }
}

bool IsHiddenFramePart(IAccessible* object, const VARIANT& child) {
    common::Variant role, state;
    if (FAILED(object->get_accRole(child, role.put())) || role.type() != VT_I4 ||
        FAILED(object->get_accState(child, state.put())) || state.type() != VT_I4)
        return false;
    std::wstring name;
    ReadText(object, child, AccText::Name, name);
    return IsHiddenFramePart(role.get()->lVal, state.get()->lVal, name);
}

std::wstring FormatHandle(HWND window) {
    // Window handles carry 32 significant bits on 32- and 64-bit Windows alike.
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08X", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

std::wstring JoinPath(const std::vector<std::wstring>& itemTexts) {
    std::wstring path;
    for (const std::wstring& item : itemTexts) {
        std::wstring part = item;
        if (part.size() >= 4 && part.compare(0, 2, L"[ ") == 0 && part.compare(part.size() - 2, 2, L" ]") == 0)
            part = part.substr(2, part.size() - 4);
        if (!path.empty()) path += L".";
        path += part;
    }
    return path;
}

} // namespace explorer
