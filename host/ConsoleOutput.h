#pragma once
#include <string>

namespace host {

// Standard output of a GUI program run from a console: the inherited handle when output
// is redirected to a file or pipe, otherwise the console of the parent process.
class ConsoleOutput {
public:
    // Writes a line (UTF-16 converted to the console's or the ANSI code page) and flushes.
    static void WriteLine(const std::wstring& text);
    // Writes text as it is (no line end added).
    static void Write(const std::wstring& text);
    static void WriteErrorLine(const std::wstring& text);
};

} // namespace host
