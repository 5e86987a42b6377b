#include "host/ConsoleApplication.h"
#include "host/ConsoleOutput.h"
#include "host/ModuleLock.h"
#include "host/ScriptHost.h"
#include "common/ComError.h"
#include "common/TextConv.h"

namespace host {

std::wstring FormatConsoleRecord(RecordKind kind, const std::wstring& text, const std::string& file, int line) {
    std::wstring record = RecordKindName(kind);
    record += L": ";
    if (line != -1) record += common::AnsiToWide(file) + L" (" + std::to_wstring(line) + L"): ";
    record += text;
    return record;
}

void ConsoleApplication::LogRecord(RecordKind kind, const std::wstring& text) {
    ConsoleOutput::Write(FormatConsoleRecord(kind, text, host_.currentFile(), host_.currentLine()) + L"\n");
}

int ConsoleApplication::RunScript(const std::wstring& fileName) {
    host_.setConsoleMode(true);
    // Scripts are known by their lower-cased full paths.
    std::wstring path = common::LowerFullPath(fileName);
    if (path.empty()) path = common::ToLower(fileName);

    ModuleLocks().lock();
    HRESULT hr = host_.Run(common::WideToAnsi(path));
    if (SUCCEEDED(hr)) host_.WaitForScriptThread(INFINITE);
    ModuleLocks().unlock();

    if (FAILED(hr)) {
        host_.Log(RecordKind::FatalError, L"Cannot start the script: " + common::SystemMessage(static_cast<DWORD>(hr)));
        return 2;
    }
    if (host_.preparationFailed()) {
        // Preparation failed: say why (or at least that it did) instead of ending in silence.
        const std::wstring error = host_.errorText();
        host_.Log(RecordKind::FatalError, error.empty() ? L"The script could not be prepared." : error);
        host_.setCurrentLine(-1);
        return 2;
    }
    return host_.errorCount() > 0 ? 1 : 0;
}

} // namespace host
