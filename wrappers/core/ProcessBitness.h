#pragma once
// The hook library enters only processes of its own bitness, and a 64-bit process's
// controls hold pointers a 32-bit reader cannot follow: a wrapper refuses, with the
// build to use, to bind to a process of the other bitness.
#include <windows.h>
#include <optional>
#include <string>

namespace wrappers {

// Whether `process` runs 64-bit code; empty when that cannot be told (no access).
std::optional<bool> ProcessIs64Bit(HANDLE process);

// Empty when a Tevrin of `tevrinIs64Bit` can drive `application` (its executable's
// name) of `applicationIs64Bit`; else the message that names the build to use.
std::wstring BitnessMismatch(bool tevrinIs64Bit, bool applicationIs64Bit, const std::wstring& application);

// Throws a WrapperError with BitnessMismatch's message when the process `processId`
// has the other bitness. Processes that cannot be opened pass: nothing can be told.
void RequireSameBitness(DWORD processId);

} // namespace wrappers
