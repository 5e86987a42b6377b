#pragma once
#include <windows.h>
#include <string>

namespace debugservices {

// Registers the DLL under CLSID_ProcessDebugManager, but never over another server's
// registration: then nothing is written and S_OK answered, so that registering in a
// machine that has the real debug services is harmless.
HRESULT RegisterServer();
// Removes the registration only when it names this DLL.
HRESULT UnregisterServer();

// The server path registered for a class in root, with environment strings expanded;
// empty when none is.
std::wstring RegisteredServer(HKEY root, const std::wstring& clsidKey);
// Whether two file paths name the same file.
bool SameFile(const std::wstring& a, const std::wstring& b);

} // namespace debugservices
