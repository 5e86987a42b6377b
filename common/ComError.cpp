#include "common/ComError.h"

namespace common {

HRESULT CurrentExceptionHResult() noexcept {
    try {
        throw;
    } catch (const ComError& e) {
        return FAILED(e.hr()) ? e.hr() : E_UNEXPECTED;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

void ThrowLastErrorIf(bool failed) {
    if (failed) throw ComError(HRESULT_FROM_WIN32(::GetLastError()));
}

std::wstring SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", n);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

} // namespace common
