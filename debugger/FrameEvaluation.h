#pragma once
// EvaluateInFrame: evaluates an expression or a statement in a frame of the stopped
// script through the engine's expression services, waiting for the result while the
// calling thread keeps dispatching its window messages.
#include <windows.h>
#include <string>

namespace host { class ScriptHost; }

namespace debugger {

// Flags for ParseLanguageText: a watch is an expression whose value is wanted; an
// assignment is a statement.
const DWORD kWatchFlags = 3;       // DEBUG_TEXT_ISEXPRESSION | DEBUG_TEXT_RETURNVALUE
const DWORD kAssignmentFlags = 2;  // DEBUG_TEXT_RETURNVALUE

struct Evaluation {
    bool evaluated = false;  // false outside the break state or without a frame
    HRESULT result = E_FAIL; // the engine's result of the evaluation
    std::wstring text;       // the value, or the engine's error text
};

// An evaluation that has not completed after this long is abandoned.
const DWORD kEvaluationTimeout = 30000;

// In the host's selected frame (`inSelectedFrame`) or the top frame.
Evaluation EvaluateInFrame(host::ScriptHost& host, const std::wstring& text, DWORD flags, bool inSelectedFrame);

} // namespace debugger
