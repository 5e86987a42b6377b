#pragma once
// A copy of one registry key with its values and subkeys, to put it back exactly as it
// was after a system call (type library registration) has rewritten it.
#include <windows.h>
#include <map>
#include <string>
#include <vector>

namespace wrappers {

class RegistrySnapshot {
public:
    // Reads root\path (absent keys are remembered as absent). `view` is 0 (the caller's own
    // registry view), KEY_WOW64_32KEY or KEY_WOW64_64KEY.
    static RegistrySnapshot capture(HKEY root, const std::wstring& path, REGSAM view = 0);
    // Makes root\path in that view exactly what was captured: removed when it was absent.
    bool restore(HKEY root, const std::wstring& path, REGSAM view = 0) const;

    bool existed() const { return existed_; }
    bool operator==(const RegistrySnapshot& other) const;

private:
    struct Value {
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        bool operator==(const Value& o) const { return type == o.type && data == o.data; }
    };

    void read(HKEY key, REGSAM view);
    bool write(HKEY key, REGSAM view) const;

    bool existed_ = false;
    std::map<std::wstring, Value> values_;
    std::map<std::wstring, RegistrySnapshot> subkeys_;
};

} // namespace wrappers
