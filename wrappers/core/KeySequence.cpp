#include "wrappers/core/KeySequence.h"
#include "wrappers/core/WrapperError.h"
#include <cwctype>

namespace wrappers {
namespace {

struct NamedKey {
    const wchar_t* name;
    WORD key;
};

// Names are compared without regard to case. Several keys have the short and the long
// name testers know from other tools.
const NamedKey kNamedKeys[] = {
    {L"ENTER", VK_RETURN},     {L"RETURN", VK_RETURN},     {L"TAB", VK_TAB},
    {L"ESC", VK_ESCAPE},       {L"ESCAPE", VK_ESCAPE},     {L"SPACE", VK_SPACE},
    {L"BACKSPACE", VK_BACK},   {L"BS", VK_BACK},           {L"BKSP", VK_BACK},
    {L"DELETE", VK_DELETE},    {L"DEL", VK_DELETE},        {L"INSERT", VK_INSERT},
    {L"INS", VK_INSERT},       {L"HOME", VK_HOME},         {L"END", VK_END},
    {L"PGUP", VK_PRIOR},       {L"PGDN", VK_NEXT},         {L"UP", VK_UP},
    {L"DOWN", VK_DOWN},        {L"LEFT", VK_LEFT},         {L"RIGHT", VK_RIGHT},
    {L"BREAK", VK_CANCEL},     {L"PAUSE", VK_PAUSE},       {L"CAPSLOCK", VK_CAPITAL},
    {L"NUMLOCK", VK_NUMLOCK},  {L"SCROLLLOCK", VK_SCROLL}, {L"PRTSC", VK_SNAPSHOT},
    {L"HELP", VK_HELP},        {L"APPS", VK_APPS},         {L"WIN", VK_LWIN},
    {L"ADD", VK_ADD},          {L"SUBTRACT", VK_SUBTRACT}, {L"MULTIPLY", VK_MULTIPLY},
    {L"DIVIDE", VK_DIVIDE},    {L"DECIMAL", VK_DECIMAL},
};

bool sameName(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return i == a.size() && !b[i];
}

// F1 to F24 and NUMPAD0 to NUMPAD9; 0 for any other name.
WORD numberedKey(const std::wstring& name) {
    auto numberAfter = [&](size_t prefix) -> int {
        if (name.size() <= prefix || name.size() > prefix + 2) return -1;
        int n = 0;
        for (size_t i = prefix; i < name.size(); ++i) {
            if (name[i] < L'0' || name[i] > L'9') return -1;
            n = n * 10 + (name[i] - L'0');
        }
        return n;
    };
    if (name.size() > 1 && std::towupper(name[0]) == L'F') {
        const int n = numberAfter(1);
        if (n >= 1 && n <= 24) return static_cast<WORD>(VK_F1 + n - 1);
    }
    if (name.size() > 6 && sameName(name.substr(0, 6), L"NUMPAD")) {
        const int n = numberAfter(6);
        if (n >= 0 && n <= 9 && name.size() == 7) return static_cast<WORD>(VK_NUMPAD0 + n);
    }
    return 0;
}

WORD keyNamed(const std::wstring& name) {
    for (const NamedKey& named : kNamedKeys)
        if (sameName(name, named.name)) return named.key;
    return numberedKey(name);
}

WORD modifierKey(wchar_t c) {
    switch (c) {
    case L'+': return VK_SHIFT;
    case L'^': return VK_CONTROL;
    case L'%': return VK_MENU;
    default: return 0;
    }
}

const int kMaxGroupDepth = 100;

std::wstring position(size_t index) { return std::to_wstring(index + 1); }

class Parser {
public:
    explicit Parser(const std::wstring& keys) : text_(keys) {}

    std::vector<KeyStep> parse() {
        while (pos_ < text_.size()) {
            if (text_[pos_] == L')')
                throw WrapperError(L"Unbalanced parentheses in keys: ')' at position " + position(pos_) +
                                   L" has no '('; type a literal ) as {)}");
            item();
        }
        return std::move(steps_);
    }

private:
    // One key, character or group, with the modifiers written before it held around it.
    void item() {
        std::vector<WORD> held;
        while (pos_ < text_.size() && modifierKey(text_[pos_])) {
            const WORD key = modifierKey(text_[pos_]);
            for (WORD k : held)
                if (k == key)
                    throw WrapperError(std::wstring(L"The modifier '") + text_[pos_] + L"' is given twice at position " +
                                       position(pos_) + L"; type a literal " + text_[pos_] + L" as {" + text_[pos_] +
                                       L"}");
            held.push_back(key);
            ++pos_;
        }
        if (!held.empty() && (pos_ >= text_.size() || text_[pos_] == L')'))
            throw WrapperError(std::wstring(L"The modifier '") + text_[pos_ - 1] + L"' at position " +
                               position(pos_ - 1) + L" has no key after it; type a literal " + text_[pos_ - 1] +
                               L" as {" + text_[pos_ - 1] + L"}");
        for (WORD key : held) steps_.push_back({KeyStep::Kind::Press, key, 0});
        unit();
        for (auto it = held.rbegin(); it != held.rend(); ++it) steps_.push_back({KeyStep::Kind::Release, *it, 0});
    }

    void unit() {
        const wchar_t c = text_[pos_];
        if (c == L'(') {
            // Each level is a frame of this parser: a string of a million '(' must fail,
            // not exhaust the stack of the script's thread.
            if (++depth_ > kMaxGroupDepth)
                throw WrapperError(L"Groups in keys are nested more than " + std::to_wstring(kMaxGroupDepth) +
                                   L" deep at position " + position(pos_));
            const size_t open = pos_++;
            while (pos_ < text_.size() && text_[pos_] != L')') item();
            if (pos_ >= text_.size())
                throw WrapperError(L"Unbalanced parentheses in keys: '(' at position " + position(open) +
                                   L" is not closed; type a literal ( as {(}");
            ++pos_;
            --depth_;
        } else if (c == L'{') {
            braced();
        } else if (c == L'}') {
            throw WrapperError(L"Unbalanced braces in keys: '}' at position " + position(pos_) +
                               L" has no '{'; type a literal } as {}}");
        } else if (c == L'~') {
            tap(VK_RETURN);
            ++pos_;
        } else if (c == L'\r' || c == L'\n') {
            // CR LF, CR and LF are each one press of Enter.
            tap(VK_RETURN);
            ++pos_;
            if (c == L'\r' && pos_ < text_.size() && text_[pos_] == L'\n') ++pos_;
        } else if (c == L'\t') {
            tap(VK_TAB);
            ++pos_;
        } else {
            steps_.push_back({KeyStep::Kind::Character, 0, c});
            ++pos_;
        }
    }

    // {NAME} or {NAME n}; a single character between the braces is that character, so
    // that {}} and {{} work like the other literals.
    void braced() {
        const size_t open = pos_;
        // The first character after the brace belongs to the name even when it is '}'.
        const bool braceNamed = open + 1 < text_.size() && text_[open + 1] == L'}';
        const size_t close = text_.find(L'}', braceNamed ? open + 2 : open + 1);
        if (close == std::wstring::npos)
            throw WrapperError(L"Unbalanced braces in keys: '{' at position " + position(open) +
                               L" is not closed; type a literal { as {{}");
        const std::wstring inside = text_.substr(open + 1, close - open - 1);
        pos_ = close + 1;
        if (inside.empty())
            throw WrapperError(L"Empty key name {} at position " + position(open) + L"; type a literal } as {}}");

        std::wstring name = inside;
        int count = 1;
        const size_t space = inside.rfind(L' ');
        if (space != std::wstring::npos && space > 0 && space + 1 < inside.size()) {
            const std::wstring number = inside.substr(space + 1);
            bool digits = number.size() <= 9;
            for (wchar_t d : number) digits = digits && d >= L'0' && d <= L'9';
            if (digits) {
                name = inside.substr(0, space);
                count = std::stoi(number);
                if (count > kMaxKeyRepeat)
                    throw WrapperError(L"The repeat count in {" + inside + L"} is too large (at most " +
                                       std::to_wstring(kMaxKeyRepeat) + L")");
            }
        }
        if (name.size() == 1) {
            for (int i = 0; i < count; ++i) steps_.push_back({KeyStep::Kind::Character, 0, name[0]});
            return;
        }
        const WORD key = keyNamed(name);
        if (!key) throw WrapperError(L"Unknown key name: {" + name + L"}");
        for (int i = 0; i < count; ++i) tap(key);
    }

    void tap(WORD key) { steps_.push_back({KeyStep::Kind::Tap, key, 0}); }

    const std::wstring& text_;
    size_t pos_ = 0;
    int depth_ = 0;
    std::vector<KeyStep> steps_;
};

} // namespace

std::vector<KeyStep> ParseKeySequence(const std::wstring& keys) { return Parser(keys).parse(); }

} // namespace wrappers
