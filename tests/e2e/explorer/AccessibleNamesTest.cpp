// Role names, node texts, the hidden-part filter and the dotted path.
#include "explorer/AccessibleNames.h"
#include <gtest/gtest.h>

using namespace explorer;

TEST(RoleName, CoversTheStandardRolesInOrder) {
    EXPECT_STREQ(RoleName(ROLE_SYSTEM_TITLEBAR), L"accTitleBar");
    EXPECT_STREQ(RoleName(ROLE_SYSTEM_CLIENT), L"accClient");
    EXPECT_STREQ(RoleName(ROLE_SYSTEM_PUSHBUTTON), L"accPushButton");
    EXPECT_STREQ(RoleName(ROLE_SYSTEM_OUTLINE), L"accOutline");
    EXPECT_STREQ(RoleName(ROLE_SYSTEM_SPLITBUTTON), L"accSplitButton");
    EXPECT_STREQ(RoleName(ROLE_SYSTEM_OUTLINEBUTTON), L"accOutlineButton");
    EXPECT_STREQ(RoleName(0), L"unknown");
    EXPECT_STREQ(RoleName(ROLE_SYSTEM_OUTLINEBUTTON + 1), L"unknown");
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = nullptr;
    EXPECT_EQ(RoleName(text), L"unknown");
}

TEST(NodeText, NameThenValueThenNothing) {
    EXPECT_EQ(NodeText(L"accPushButton", L"OK", L"ignored"), L"accPushButton(\"OK\")");
    EXPECT_EQ(NodeText(L"accText", L"", L"typed"), L"accText(\"typed\")");
    EXPECT_EQ(NodeText(L"accClient", L"", L""), L"accClient()");
    // Texts of 260 characters or more are left out.
    EXPECT_EQ(NodeText(L"accText", std::wstring(260, L'x'), L"short"), L"accText(\"short\")");
    EXPECT_EQ(NodeText(L"accText", std::wstring(259, L'x'), L""), L"accText(\"" + std::wstring(259, L'x') + L"\")");
    EXPECT_EQ(NodeText(L"accText", L"", std::wstring(300, L'y')), L"accText()");
}

TEST(HiddenFramePart, OnlyInvisibleStandardParts) {
    const long hidden = STATE_SYSTEM_INVISIBLE;
    EXPECT_TRUE(IsHiddenFramePart(ROLE_SYSTEM_TITLEBAR, hidden, L"Anything"));
    EXPECT_TRUE(IsHiddenFramePart(ROLE_SYSTEM_MENUBAR, hidden, L"system"));
    EXPECT_TRUE(IsHiddenFramePart(ROLE_SYSTEM_MENUBAR, hidden, L"Application"));
    EXPECT_TRUE(IsHiddenFramePart(ROLE_SYSTEM_SCROLLBAR, hidden, L"VERTICAL"));
    EXPECT_TRUE(IsHiddenFramePart(ROLE_SYSTEM_SCROLLBAR, hidden, L"Horizontal"));
    EXPECT_TRUE(IsHiddenFramePart(ROLE_SYSTEM_GRIP, hidden, L"Size box"));
    // Visible parts, other names and other roles stay.
    EXPECT_FALSE(IsHiddenFramePart(ROLE_SYSTEM_TITLEBAR, 0, L"Title"));
    EXPECT_FALSE(IsHiddenFramePart(ROLE_SYSTEM_MENUBAR, hidden, L"File"));
    EXPECT_FALSE(IsHiddenFramePart(ROLE_SYSTEM_SCROLLBAR, hidden, L"Diagonal"));
    EXPECT_FALSE(IsHiddenFramePart(ROLE_SYSTEM_GRIP, hidden, L"Handle"));
    EXPECT_FALSE(IsHiddenFramePart(ROLE_SYSTEM_PUSHBUTTON, hidden, L"OK"));
}

TEST(JoinPath, DotsBetweenItemsWithoutElementBrackets) {
    EXPECT_EQ(JoinPath({}), L"");
    EXPECT_EQ(JoinPath({L"accDialog(\"Login\")"}), L"accDialog(\"Login\")");
    EXPECT_EQ(JoinPath({L"accDialog(\"Login\")", L"accList(\"Items\")", L"[ accListItem(\"Delta\") ]"}),
              L"accDialog(\"Login\").accList(\"Items\").accListItem(\"Delta\")");
}

TEST(FormatHandle, EightHexDigits) {
    EXPECT_EQ(FormatHandle(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1004A))), L"0x0001004A");
    EXPECT_EQ(FormatHandle(nullptr), L"0x00000000");
}
