// Key sequences of the keys member: the steps a sequence gives, the errors that name what
// is wrong, and the keyboard inputs made from the steps.
#include "wrappers/core/InputSimulation.h"
#include "wrappers/core/KeySequence.h"
#include "wrappers/core/WrapperError.h"
#include <gtest/gtest.h>
#include <map>

using wrappers::KeyInputs;
using wrappers::KeyStep;
using wrappers::ParseKeySequence;
using wrappers::ReleasesAfter;

namespace {

std::wstring keyName(WORD key) {
    static const std::map<WORD, std::wstring> names = {
        {VK_SHIFT, L"SHIFT"}, {VK_CONTROL, L"CTRL"},  {VK_MENU, L"ALT"},     {VK_RETURN, L"ENTER"},
        {VK_TAB, L"TAB"},     {VK_ESCAPE, L"ESC"},    {VK_BACK, L"BS"},      {VK_DELETE, L"DEL"},
        {VK_LEFT, L"LEFT"},   {VK_RIGHT, L"RIGHT"},   {VK_UP, L"UP"},        {VK_DOWN, L"DOWN"},
        {VK_HOME, L"HOME"},   {VK_END, L"END"},       {VK_PRIOR, L"PGUP"},   {VK_NEXT, L"PGDN"},
        {VK_F1, L"F1"},       {VK_F4, L"F4"},         {VK_F12, L"F12"},      {VK_F24, L"F24"},
        {VK_SPACE, L"SPACE"}, {VK_NUMPAD7, L"NUM7"},  {VK_INSERT, L"INS"},
    };
    auto it = names.find(key);
    return it != names.end() ? it->second : L"#" + std::to_wstring(key);
}

// The steps as one line: +KEY and -KEY for a modifier going down and up, a key's name
// for a press and release, a character in quotes.
std::wstring steps(const std::wstring& keys) {
    std::wstring text;
    for (const KeyStep& step : ParseKeySequence(keys)) {
        if (!text.empty()) text += L' ';
        switch (step.kind) {
        case KeyStep::Kind::Press: text += L"+" + keyName(step.key); break;
        case KeyStep::Kind::Release: text += L"-" + keyName(step.key); break;
        case KeyStep::Kind::Tap: text += keyName(step.key); break;
        case KeyStep::Kind::Character: text += std::wstring(L"'") + step.character + L"'"; break;
        }
    }
    return text;
}

// The message of the error a bad sequence gives; empty when it parses.
std::wstring errorOf(const std::wstring& keys) {
    try {
        ParseKeySequence(keys);
    } catch (const wrappers::WrapperError& e) {
        return e.message();
    }
    return L"";
}

} // namespace

TEST(KeySequence, TextIsTypedCharacterByCharacter) {
    EXPECT_EQ(steps(L"Hi there"), L"'H' 'i' ' ' 't' 'h' 'e' 'r' 'e'");
    EXPECT_EQ(steps(L""), L"");
    // Line breaks and tabs in the text are the keys a user presses for them.
    EXPECT_EQ(steps(L"a\r\nb\nc\rd\te"), L"'a' ENTER 'b' ENTER 'c' ENTER 'd' TAB 'e'");
}

TEST(KeySequence, NamedKeysInAnyCaseAndTheirShortNames) {
    EXPECT_EQ(steps(L"{ENTER}{enter}{Tab}{ESC}{escape}~"), L"ENTER ENTER TAB ESC ESC ENTER");
    EXPECT_EQ(steps(L"{BS}{BACKSPACE}{BKSP}{DEL}{DELETE}{INS}"), L"BS BS BS DEL DEL INS");
    EXPECT_EQ(steps(L"{LEFT}{RIGHT}{UP}{DOWN}{HOME}{END}{PGUP}{PGDN}"), L"LEFT RIGHT UP DOWN HOME END PGUP PGDN");
    EXPECT_EQ(steps(L"{F1}{f4}{F12}{F24}{SPACE}{NUMPAD7}"), L"F1 F4 F12 F24 SPACE NUM7");
    EXPECT_EQ(steps(L"Hello{TAB}World~"), L"'H' 'e' 'l' 'l' 'o' TAB 'W' 'o' 'r' 'l' 'd' ENTER");
}

TEST(KeySequence, RepeatCountsForNamedKeysAndCharacters) {
    EXPECT_EQ(steps(L"{LEFT 3}"), L"LEFT LEFT LEFT");
    EXPECT_EQ(steps(L"{x 4}"), L"'x' 'x' 'x' 'x'");
    EXPECT_EQ(steps(L"{TAB 0}a"), L"'a'");
    EXPECT_EQ(steps(L"{+ 2}"), L"'+' '+'");
    EXPECT_EQ(ParseKeySequence(L"{DOWN 1000}").size(), 1000u);
    EXPECT_EQ(errorOf(L"{DOWN 1001}"), L"The repeat count in {DOWN 1001} is too large (at most 1000)");
    EXPECT_EQ(errorOf(L"{DOWN 99999999999}"), L"Unknown key name: {DOWN 99999999999}");
}

TEST(KeySequence, ModifiersHoldTheNextKeyOnly) {
    EXPECT_EQ(steps(L"^s"), L"+CTRL 's' -CTRL");
    EXPECT_EQ(steps(L"%{F4}"), L"+ALT F4 -ALT");
    EXPECT_EQ(steps(L"+{TAB}x"), L"+SHIFT TAB -SHIFT 'x'");
    // Stacked modifiers go down in the order written and up in the reverse order.
    EXPECT_EQ(steps(L"^+{END}"), L"+CTRL +SHIFT END -SHIFT -CTRL");
    EXPECT_EQ(steps(L"^%{DEL}"), L"+CTRL +ALT DEL -ALT -CTRL");
    EXPECT_EQ(steps(L"^{LEFT 2}"), L"+CTRL LEFT LEFT -CTRL");
    EXPECT_EQ(steps(L"^~"), L"+CTRL ENTER -CTRL");
}

TEST(KeySequence, GroupsKeepTheModifierDownForEveryKeyInside) {
    EXPECT_EQ(steps(L"+(ab)c"), L"+SHIFT 'a' 'b' -SHIFT 'c'");
    EXPECT_EQ(steps(L"^(a{DEL})"), L"+CTRL 'a' DEL -CTRL");
    // Nested groups and modifiers inside a group.
    EXPECT_EQ(steps(L"%(f^(x))"), L"+ALT 'f' +CTRL 'x' -CTRL -ALT");
    // A group without a modifier only groups.
    EXPECT_EQ(steps(L"(ab)"), L"'a' 'b'");
    EXPECT_EQ(steps(L"+()"), L"+SHIFT -SHIFT");
}

TEST(KeySequence, BracedSpecialCharactersAreThemselves) {
    EXPECT_EQ(steps(L"{+}{^}{%}{~}{(}{)}{{}{}}"), L"'+' '^' '%' '~' '(' ')' '{' '}'");
    EXPECT_EQ(steps(L"a{}}b"), L"'a' '}' 'b'");
    EXPECT_EQ(steps(L"{ }"), L"' '");
    EXPECT_EQ(steps(L"^{+}"), L"+CTRL '+' -CTRL");
}

TEST(KeySequence, ErrorsNameWhatIsWrong) {
    EXPECT_EQ(errorOf(L"{FOO}"), L"Unknown key name: {FOO}");
    EXPECT_EQ(errorOf(L"ab{F25}"), L"Unknown key name: {F25}");
    EXPECT_EQ(errorOf(L"{ENTER x}"), L"Unknown key name: {ENTER x}");
    EXPECT_EQ(errorOf(L"ab{ENTER"), L"Unbalanced braces in keys: '{' at position 3 is not closed; type a literal { as {{}");
    EXPECT_EQ(errorOf(L"a}"), L"Unbalanced braces in keys: '}' at position 2 has no '{'; type a literal } as {}}");
    EXPECT_EQ(errorOf(L"{}"), L"Unbalanced braces in keys: '{' at position 1 is not closed; type a literal { as {{}");
    EXPECT_EQ(errorOf(L"+(ab"), L"Unbalanced parentheses in keys: '(' at position 2 is not closed; type a literal ( as {(}");
    EXPECT_EQ(errorOf(L"ab)"), L"Unbalanced parentheses in keys: ')' at position 3 has no '('; type a literal ) as {)}");
    EXPECT_EQ(errorOf(L"(a))"), L"Unbalanced parentheses in keys: ')' at position 4 has no '('; type a literal ) as {)}");
    EXPECT_EQ(errorOf(L"a^"), L"The modifier '^' at position 2 has no key after it; type a literal ^ as {^}");
    EXPECT_EQ(errorOf(L"(a%)"), L"The modifier '%' at position 3 has no key after it; type a literal % as {%}");
    EXPECT_EQ(errorOf(L"++a"), L"The modifier '+' is given twice at position 2; type a literal + as {+}");
    // Deep nesting is refused, however long the string.
    EXPECT_EQ(steps(std::wstring(100, L'(') + L"a" + std::wstring(100, L')')), L"'a'");
    EXPECT_EQ(errorOf(std::wstring(1000000, L'(')), L"Groups in keys are nested more than 100 deep at position 101");
}

TEST(KeySequence, EveryModifierGoingDownComesUpAgain) {
    for (const wchar_t* keys : {L"^s", L"+(a^(b%{F4}))c", L"%(+(^(x)))", L"{+}+{+}", L"^+%{DEL 3}"}) {
        int held = 0;
        for (const KeyStep& step : ParseKeySequence(keys)) {
            if (step.kind == KeyStep::Kind::Press) ++held;
            if (step.kind == KeyStep::Kind::Release) --held;
            EXPECT_GE(held, 0) << keys;
        }
        EXPECT_EQ(held, 0) << keys;
    }
}

// The inputs use the keyboard layout of this thread, the one the prefix gives (US).
class KeyInputsTest : public ::testing::Test {
protected:
    std::vector<INPUT> inputs(const std::wstring& keys) { return KeyInputs(ParseKeySequence(keys), layout_); }
    static std::wstring describe(const std::vector<INPUT>& list) {
        std::wstring text;
        for (const INPUT& input : list) {
            if (!text.empty()) text += L' ';
            text += (input.ki.dwFlags & KEYEVENTF_KEYUP) ? L"^" : L"v";
            if (input.ki.dwFlags & KEYEVENTF_UNICODE)
                text += std::wstring(L"U+") + static_cast<wchar_t>(input.ki.wScan);
            else
                text += input.ki.wVk >= 'A' && input.ki.wVk <= 'Z' ? std::wstring(1, static_cast<wchar_t>(input.ki.wVk))
                                                                   : keyName(input.ki.wVk);
        }
        return text;
    }
    HKL layout_ = ::GetKeyboardLayout(0);
};

TEST_F(KeyInputsTest, CharactersUseTheirKeysWithShiftWhereTheLayoutNeedsIt) {
    EXPECT_EQ(describe(inputs(L"aB")), L"vA ^A vSHIFT vB ^B ^SHIFT");
    // Shift already held for a group is not pressed again for a capital inside it.
    EXPECT_EQ(describe(inputs(L"+(aB)")), L"vSHIFT vA ^A vB ^B ^SHIFT");
    EXPECT_EQ(describe(inputs(L"^s")), L"vCTRL vS ^S ^CTRL");
    EXPECT_EQ(describe(inputs(L"%{F4}")), L"vALT vF4 ^F4 ^ALT");
}

TEST_F(KeyInputsTest, KeysCarryScanCodesAndNavigationKeysTheExtendedFlag) {
    std::vector<INPUT> list = inputs(L"{LEFT}{ENTER}");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_NE(list[0].ki.wScan, 0);
    EXPECT_TRUE(list[0].ki.dwFlags & KEYEVENTF_EXTENDEDKEY);
    EXPECT_TRUE(list[1].ki.dwFlags & KEYEVENTF_EXTENDEDKEY);
    EXPECT_FALSE(list[2].ki.dwFlags & KEYEVENTF_EXTENDEDKEY);
    EXPECT_EQ(list[3].ki.dwFlags, static_cast<DWORD>(KEYEVENTF_KEYUP));
}

TEST_F(KeyInputsTest, CharactersWithoutAKeyArriveAsUnicodeButNotUnderAModifier) {
    EXPECT_EQ(describe(inputs(L"\u20ac")), L"vU+\u20ac ^U+\u20ac");
    try {
        inputs(L"^\u20ac");
        ADD_FAILURE() << "a modifier with a character that has no key";
    } catch (const wrappers::WrapperError& e) {
        EXPECT_EQ(e.message(), L"Cannot type '\u20ac' with a modifier held: the keyboard layout has no key for it");
    }
}

TEST(ReleasesAfter, ACutBatchReleasesWhatIsStillDownInReverseOrder) {
    const std::vector<INPUT> list = KeyInputs(ParseKeySequence(L"^+(ab)"), ::GetKeyboardLayout(0));
    // ctrl down, shift down, a down: released as a, shift, ctrl.
    std::vector<INPUT> releases = ReleasesAfter(list, 3);
    ASSERT_EQ(releases.size(), 3u);
    EXPECT_EQ(releases[0].ki.wVk, 'A');
    EXPECT_EQ(releases[1].ki.wVk, VK_SHIFT);
    EXPECT_EQ(releases[2].ki.wVk, VK_CONTROL);
    for (const INPUT& up : releases) EXPECT_TRUE(up.ki.dwFlags & KEYEVENTF_KEYUP);
    EXPECT_TRUE(ReleasesAfter(list, list.size()).empty());
    EXPECT_TRUE(ReleasesAfter(list, 0).empty());
    EXPECT_EQ(ReleasesAfter(list, 4).size(), 2u);
}
