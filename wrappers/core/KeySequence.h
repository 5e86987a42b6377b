#pragma once
// The key sequences of the keys member: text, named keys and modifier chords written as
// one string, turned into steps before any key is pressed, so that a mistake in the
// string fails the call without typing half of it.
//
//   text           each character typed as it stands ("Hello")
//   + ^ %          Shift, Ctrl, Alt held for the next key or group ("^s", "%{F4}", "+^{END}")
//   ( ... )        a group: the modifier before it is held for all of it ("+(abc)" gives ABC)
//   ~              Enter
//   {NAME}         a named key ({ENTER}, {TAB}, {ESC}, {F5}, {LEFT}, ...)
//   {NAME n}       the key n times ({LEFT 3}, {x 4})
//   {+} {^} {%} {~} {(} {)} {{} {}}   the character itself
//   CR, LF, CR LF  Enter; a tab character is Tab
#include <windows.h>
#include <string>
#include <vector>

namespace wrappers {

struct KeyStep {
    enum class Kind {
        Press,      // a modifier key goes down and stays down
        Release,    // a modifier key goes up
        Tap,        // a key goes down and up
        Character,  // a character, typed with whatever key the keyboard layout has for it
    };
    Kind kind;
    WORD key;           // the virtual key of Press, Release and Tap
    wchar_t character;  // the character of Character
};

// Parses a key sequence. Throws WrapperError naming what is wrong: an unknown key name,
// an unbalanced brace or parenthesis, a modifier with no key after it, a repeat count
// out of range. Every Press in the result is matched by a later Release.
std::vector<KeyStep> ParseKeySequence(const std::wstring& keys);

// The largest repeat count of {NAME n}.
const int kMaxKeyRepeat = 1000;

} // namespace wrappers
