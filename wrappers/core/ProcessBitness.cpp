#include "wrappers/core/ProcessBitness.h"
#include "common/UniqueHandle.h"
#include "wrappers/core/WrapperError.h"

namespace wrappers {

namespace {

constexpr bool kThisIs64Bit = sizeof(void*) == 8;

bool IsWow64(HANDLE process, bool& wow64) {
    BOOL value = FALSE;
    if (!::IsWow64Process(process, &value)) return false;
    wow64 = value != FALSE;
    return true;
}

std::wstring ExecutableName(HANDLE process) {
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!::QueryFullProcessImageNameW(process, 0, path, &size)) return L"?";
    std::wstring full(path, size);
    const size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

} // namespace

std::optional<bool> ProcessIs64Bit(HANDLE process) {
    bool wow64 = false;
    if (!IsWow64(process, wow64)) return std::nullopt;
    // A WoW64 process runs 32-bit code on a 64-bit system.
    if (wow64) return false;
    if (kThisIs64Bit) return true;
    // A 32-bit program outside WoW64 runs on a 32-bit system, where everything is.
    bool selfWow64 = false;
    if (!IsWow64(::GetCurrentProcess(), selfWow64)) return std::nullopt;
    return selfWow64;
}

std::wstring BitnessMismatch(bool tevrinIs64Bit, bool applicationIs64Bit, const std::wstring& application) {
    if (tevrinIs64Bit == applicationIs64Bit) return {};
    const wchar_t* own = tevrinIs64Bit ? L"64-bit" : L"32-bit";
    const wchar_t* other = tevrinIs64Bit ? L"32-bit" : L"64-bit";
    const wchar_t* folder = tevrinIs64Bit ? L"win32\\dist" : L"win64\\dist";
    return std::wstring(L"This is the ") + own + L" Tevrin: the application '" + application + L"' is a " + other +
           L" process; use the " + other + L" Tevrin build (" + folder + L")";
}

void RequireSameBitness(DWORD processId) {
    if (!processId || processId == ::GetCurrentProcessId()) return;
    common::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return;
    const std::optional<bool> is64 = ProcessIs64Bit(process.get());
    if (!is64) return;
    std::wstring message = BitnessMismatch(kThisIs64Bit, *is64, ExecutableName(process.get()));
    if (!message.empty()) throw WrapperError(std::move(message));
}

} // namespace wrappers
