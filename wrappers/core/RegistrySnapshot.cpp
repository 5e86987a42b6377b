#include "wrappers/core/RegistrySnapshot.h"
#include "common/UniqueHandle.h"

namespace wrappers {

RegistrySnapshot RegistrySnapshot::capture(HKEY root, const std::wstring& path, REGSAM view) {
    RegistrySnapshot snapshot;
    common::UniqueRegKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return snapshot;
    snapshot.existed_ = true;
    snapshot.read(key.get(), view);
    return snapshot;
}

void RegistrySnapshot::read(HKEY key, REGSAM view) {
    DWORD subkeyCount = 0, maxSubkey = 0, valueCount = 0, maxName = 0, maxData = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeyCount, &maxSubkey, nullptr, &valueCount, &maxName,
                           &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0; i < valueCount; ++i) {
        std::vector<wchar_t> name(maxName + 2);
        DWORD nameLength = static_cast<DWORD>(name.size());
        Value value;
        value.data.resize(maxData + 2);
        DWORD dataLength = static_cast<DWORD>(value.data.size());
        if (::RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &value.type, value.data.data(), &dataLength) !=
            ERROR_SUCCESS)
            continue;
        value.data.resize(dataLength);
        values_[std::wstring(name.data(), nameLength)] = std::move(value);
    }
    for (DWORD i = 0; i < subkeyCount; ++i) {
        std::vector<wchar_t> name(maxSubkey + 2);
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        const std::wstring subName(name.data(), nameLength);
        common::UniqueRegKey sub;
        if (::RegOpenKeyExW(key, subName.c_str(), 0, KEY_READ | view, sub.put()) != ERROR_SUCCESS) continue;
        RegistrySnapshot child;
        child.existed_ = true;
        child.read(sub.get(), view);
        subkeys_[subName] = std::move(child);
    }
}

bool RegistrySnapshot::write(HKEY key, REGSAM view) const {
    bool ok = true;
    for (const auto& [name, value] : values_)
        ok = ::RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(),
                              static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS && ok;
    for (const auto& [name, child] : subkeys_) {
        common::UniqueRegKey sub;
        if (::RegCreateKeyExW(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, sub.put(), nullptr) !=
            ERROR_SUCCESS) {
            ok = false;
            continue;
        }
        ok = child.write(sub.get(), view) && ok;
    }
    return ok;
}

bool RegistrySnapshot::restore(HKEY root, const std::wstring& path, REGSAM view) const {
    // RegDeleteTreeW takes no view: empty the key through a handle opened in the view,
    // then delete the key itself in that view.
    {
        common::UniqueRegKey old;
        LONG opened = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, old.put());
        if (opened == ERROR_SUCCESS) {
            LONG emptied = ::RegDeleteTreeW(old.get(), nullptr);
            if (emptied != ERROR_SUCCESS) return false;
            old.reset();
            if (::RegDeleteKeyExW(root, path.c_str(), view, 0) != ERROR_SUCCESS) return false;
        } else if (opened != ERROR_FILE_NOT_FOUND) {
            return false;
        }
    }
    if (!existed_) return true;
    common::UniqueRegKey key;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return write(key.get(), view);
}

bool RegistrySnapshot::operator==(const RegistrySnapshot& other) const {
    return existed_ == other.existed_ && values_ == other.values_ && subkeys_ == other.subkeys_;
}

} // namespace wrappers
