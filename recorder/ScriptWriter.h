#pragma once
// ScriptWriter: turns the tester's actions into VBScript lines that use the wrappers, the
// way a careful tester writes them: one statement per action, windows and controls named
// by title where that is unique and by class and index otherwise, each line with a short
// comment naming its window.
//
// The latest statement is held back until the next action: typing into one field, a
// run of selections in one combo box and keys pressed on one window each end as one
// line, and a command that opened a new window or closed its own is preceded by
// "Sync.async = True" (sent normally, it would hold the script until that window closed,
// and some windows close only once a message reaches their queue).
#include "recorder/ActionRecord.h"

#include <map>
#include <string>
#include <vector>

namespace recorder {

class ScriptWriter {
public:
    using Lines = std::vector<std::wstring>;

    // The first application the script acts on is started with this command line (the
    // "Start application..." command) rather than attached to.
    void StartedApplication(const std::wstring& commandLine);

    // Lines finished by this action (the new action's own line waits for the next).
    Lines Add(const ActionRecord& action);
    // Everything still held back.
    Lines Flush();
    // A comment for an application that went away; the recording goes on.
    Lines ApplicationEnded(long long processId, const std::wstring& exe);

    // Pieces, public for the tests.
    // A VBScript expression for a text: a quoted literal, joined with vbTab, vbCrLf... and
    // ChrW() where the text has control characters.
    static std::wstring Quote(const std::wstring& text);
    // A match pattern for an exact text (a leading backslash would make it a regular
    // expression, so such a text is escaped as one).
    static std::wstring ExactPattern(const std::wstring& text);
    static std::wstring RegexEscape(const std::wstring& text);
    // The pattern for a main window's title: a title "document - Application" matches
    // any document.
    static std::wstring MainTitlePattern(const std::wstring& title);
    // The keys-member text of one key press; empty for a key it cannot write.
    static std::wstring KeyText(unsigned vk, wchar_t ch, bool shift, bool ctrl, bool alt);
    // The wrapper expression that reaches the action's control from `windowVariable`.
    static std::wstring ControlExpression(const std::wstring& windowVariable, const ActionRecord& action);

private:
    struct Pending {
        bool active = false;
        std::wstring kind;
        long long processId = 0;
        long long control = 0;  // the control (or window) the statement acts on
        long long top = 0;      // its top-level window
        std::wstring statement;
        std::wstring comment;
        std::wstring followUp;  // a second line the action needs
        bool command = false;   // a command that may open a window
        bool async = false;
    };

    Lines Emit(Pending& pending);
    // The variable of the action's top-level window, with the lines that make it.
    std::wstring WindowVariable(const ActionRecord& action, Lines& lines);
    Pending Statement(const std::wstring& variable, const ActionRecord& action) const;

    std::map<long long, std::wstring> applications_;  // process id -> variable
    std::map<long long, std::wstring> windows_;       // top-level window -> variable
    // The text last recorded for each field: a key that changed nothing makes no line.
    std::map<long long, std::wstring> texts_;
    int applicationCount_ = 0;
    int dialogCount_ = 0;
    std::wstring startCommand_;
    Pending pending_;
};

} // namespace recorder
