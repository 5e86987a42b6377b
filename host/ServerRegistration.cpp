#include "host/ServerRegistration.h"
#include <wrl/client.h>
#include "common/Registry.h"
#include "mardel.h"
#include <windows.h>
#include <oleauto.h>
#include <string>

namespace host {
namespace {

// The application id is fixed like the class, library and interface ids.
const GUID kAppId = {0xD7C38F8B, 0xA504, 0x49CA, {0x83, 0x72, 0xAD, 0xC7, 0x3B, 0x14, 0xA7, 0x0A}};

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return std::wstring(path, n);
}

std::wstring ShortPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD n = ::GetShortPathNameW(path.c_str(), buffer, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : path;
}

} // namespace

void RegisterServer() {
    using common::SetRegString;
    const std::wstring module = ShortPath(ProgramPath());
    const std::wstring appId = common::GuidToString(kAppId);
    const std::wstring clsid = common::GuidToString(CLSID_Env);
    const std::wstring libId = common::GuidToString(LIBID_MardelLib);
    const HKEY root = HKEY_CLASSES_ROOT;

    // Application id.
    SetRegString(root, L"AppID\\" + appId, nullptr, L"Mardel");
    SetRegString(root, L"AppID\\Mardel.EXE", L"AppID", appId);

    // The class and its ProgIDs; the class key is replaced whole.
    SetRegString(root, L"Mardel.Env.1", nullptr, L"Env Class");
    SetRegString(root, L"Mardel.Env.1\\CLSID", nullptr, clsid);
    SetRegString(root, L"Mardel.Env", nullptr, L"Env Class");
    SetRegString(root, L"Mardel.Env\\CLSID", nullptr, clsid);
    SetRegString(root, L"Mardel.Env\\CurVer", nullptr, L"Mardel.Env.1");
    const std::wstring classKey = L"CLSID\\" + clsid;
    common::DeleteRegTree(root, classKey);
    SetRegString(root, classKey, nullptr, L"Env Class");
    SetRegString(root, classKey, L"AppID", appId);
    SetRegString(root, classKey + L"\\ProgID", nullptr, L"Mardel.Env.1");
    SetRegString(root, classKey + L"\\VersionIndependentProgID", nullptr, L"Mardel.Env");
    common::CreateRegKey(root, classKey + L"\\Programmable");
    SetRegString(root, classKey + L"\\LocalServer32", nullptr, module);
    SetRegString(root, classKey + L"\\TypeLib", nullptr, libId);

    Microsoft::WRL::ComPtr<ITypeLib> library;
    ::LoadTypeLibEx(ProgramPath().c_str(), REGKIND_REGISTER, library.GetAddressOf());
    // Wine's interface marshaller looks the library up under the neutral locale only,
    // whatever locale the library declares; without this key Env cannot cross processes.
    const wchar_t* platform = sizeof(void*) == 8 ? L"win64" : L"win32";
    SetRegString(root, L"TypeLib\\" + libId + L"\\1.0\\0\\" + platform, nullptr, ProgramPath());
}

} // namespace host
