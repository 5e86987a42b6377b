#pragma once
#include "host/ScriptHost.h"
#include <string>
#include <vector>

namespace host {

// Turns the run's main script file into a ready engine: chooses the engine from the
// language directive or the extension (see DefaultVBScriptEngine), reads the file and its includes into debugger
// documents and parses each as its own script block. Runs on the script thread.
class ScriptLoader {
public:
    ScriptLoader(ScriptHost& host, RunContext& run, const std::string& scriptPath);

    // Engine choice only; E_FAIL with the host's error text set when there is none.
    HRESULT SelectEngine(CLSID* clsid);
    HRESULT PrepareEngine();

    // Text of a script file: CR LF read as one newline, every other byte widened as is.
    static bool ReadScriptText(const std::string& path, std::wstring& text);
    // Engine of a .vbs file without a language directive: the platform's VBScript where it
    // steps with the platform's debug manager, else StepScript (registered or shipped
    // beside the program), else the platform's anyway.
    static HRESULT DefaultVBScriptEngine(CLSID* clsid);
    // Language directive captures of a text, the last one winning ("" when none or empty).
    static std::wstring FindLanguage(const std::wstring& text);
    // Blanks the language and time-limit directives in place, lines and columns kept.
    static void BlankLanguageDirectives(std::wstring& text);
    // Include directive captures, in order; each whole match is blanked in the text.
    static std::vector<std::string> TakeIncludes(std::wstring& text);

private:
    HRESULT LoadScriptFile(IActiveScriptParse* parse, const std::string& path, IDebugDocumentHelper* parent);

    ScriptHost& host_;
    RunContext& run_;
    std::string scriptPath_;
};

} // namespace host
