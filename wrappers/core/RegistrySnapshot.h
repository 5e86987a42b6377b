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
    // Reads root\path (absent keys are remembered as absent).
    static RegistrySnapshot capture(HKEY root, const std::wstring& path);
    // Makes root\path exactly what was captured: removed when it was absent.
    bool restore(HKEY root, const std::wstring& path) const;

    bool existed() const { return existed_; }
    bool operator==(const RegistrySnapshot& other) const;

private:
    struct Value {
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        bool operator==(const Value& o) const { return type == o.type && data == o.data; }
    };

    void read(HKEY key);
    bool write(HKEY key) const;

    bool existed_ = false;
    std::map<std::wstring, Value> values_;
    std::map<std::wstring, RegistrySnapshot> subkeys_;
};

} // namespace wrappers
