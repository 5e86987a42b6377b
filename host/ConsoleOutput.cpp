#include "host/ConsoleOutput.h"
#include "common/TextConv.h"
#include <windows.h>
#include <mutex>

namespace host {
namespace {

std::mutex g_outputLock;
bool g_attached = false;

HANDLE OutputHandle(DWORD which) {
    HANDLE handle = ::GetStdHandle(which);
    if (handle && handle != INVALID_HANDLE_VALUE) return handle;
    if (!g_attached) {
        g_attached = true;
        ::AttachConsole(ATTACH_PARENT_PROCESS);
    }
    handle = ::GetStdHandle(which);
    if (handle && handle != INVALID_HANDLE_VALUE) return handle;
    return nullptr;
}

void WriteText(DWORD which, const std::wstring& line) {
    std::lock_guard<std::mutex> guard(g_outputLock);
    HANDLE handle = OutputHandle(which);
    if (!handle) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        ::WriteConsoleW(handle, line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string bytes = common::WideToAnsi(line);
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::FlushFileBuffers(handle);
}

} // namespace

void ConsoleOutput::WriteLine(const std::wstring& text) { WriteText(STD_OUTPUT_HANDLE, text + L"\r\n"); }
void ConsoleOutput::WriteErrorLine(const std::wstring& text) { WriteText(STD_ERROR_HANDLE, text + L"\r\n"); }
void ConsoleOutput::Write(const std::wstring& text) { WriteText(STD_OUTPUT_HANDLE, text); }

} // namespace host
