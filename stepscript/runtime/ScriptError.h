#pragma once
#include <windows.h>
#include <string>

namespace stepscript {

// A run-time error raised while a script runs: the error number (an HRESULT), its
// source and description, and the name it concerns. Unwinds to the statement being
// executed. Err.Description holds the description alone; the error report the host
// shows names the variable or member too.
struct ScriptError {
    HRESULT hr;
    std::wstring source;
    std::wstring description;
    std::wstring name = {};
    // The help topic the error names (Err.HelpFile and Err.HelpContext): given by
    // Err.Raise or by a component's EXCEPINFO.
    std::wstring helpFile = {};
    DWORD helpContext = 0;

    // "Variable is undefined: 'x'"
    std::wstring reportText() const { return name.empty() ? description : description + L": '" + name + L"'"; }
};

// Ends the run without any further report (interrupt, abort from the debugger, an
// error already reported).
struct ScriptAbort {
    bool reported = false;
};

extern const wchar_t* const kRuntimeSource;
extern const wchar_t* const kCompileSource;

// Raises one of the run-time errors of the language; name, when given, is the one the
// error report quotes after the message ("Variable is undefined: 'x'").
[[noreturn]] void RaiseError(int number, const std::wstring& name = {});
// The message of a run-time error number.
std::wstring ErrorMessage(int number);
bool IsKnownError(int number);
// The language's error number for a Windows HRESULT it reads as its own (E_OUTOFMEMORY
// is 7, DISP_E_TYPEMISMATCH 13, E_NOTIMPL 445, 0x800A0035 53), or 0 for one it keeps.
int LanguageErrorOf(HRESULT hr);

} // namespace stepscript
