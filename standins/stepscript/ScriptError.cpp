#include "standins/stepscript/ScriptError.h"
#include "standins/stepscript/SyntaxError.h"

namespace stepscript {

const wchar_t* const kRuntimeSource = L"StepScript runtime error";
const wchar_t* const kCompileSource = L"StepScript compilation error";

std::wstring ErrorMessage(int number) {
    using namespace errors;
    switch (number) {
    case kInvalidCall: return L"Invalid procedure call or argument";
    case kOverflow: return L"Overflow";
    case kOutOfStack: return L"Out of stack space";
    case kDivisionByZero: return L"Division by zero";
    case kTypeMismatch: return L"Type mismatch";
    case kObjectVariableNotSet: return L"Object variable not set";
    case kObjectRequired: return L"Object required";
    case kCannotCreateObject: return L"ActiveX component can't create object";
    case kNoSuchMember: return L"Object doesn't support this property or method";
    case kWrongArgumentCount: return L"Wrong number of arguments or invalid property assignment";
    case kIllegalAssignment: return L"Illegal assignment";
    case kVariableUndefined: return L"Variable is undefined";
    default: return L"Unknown runtime error";
    }
}

void RaiseError(int number, const std::wstring& name) {
    std::wstring text = ErrorMessage(number);
    if (!name.empty()) text += L": '" + name + L"'";
    throw ScriptError{ScriptHr(number), kRuntimeSource, text};
}

} // namespace stepscript
