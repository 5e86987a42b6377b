#include "recorder/ActionRecord.h"

#include <cwchar>

namespace recorder {

ActionRecord ActionRecord::Parse(const wchar_t* data, size_t count) {
    ActionRecord record;
    std::wstring key;
    bool haveKey = false;
    size_t start = 0;
    for (size_t i = 0; i < count; ++i) {
        if (data[i] != L'\0') continue;
        std::wstring part(data + start, data + i);
        start = i + 1;
        if (!haveKey) {
            key = std::move(part);
            haveKey = true;
        } else {
            record.fields_[key] = std::move(part);
            haveKey = false;
        }
    }
    return record;
}

std::wstring ActionRecord::text(const std::wstring& key) const {
    auto found = fields_.find(key);
    return found == fields_.end() ? std::wstring() : found->second;
}

long long ActionRecord::number(const std::wstring& key) const {
    const std::wstring value = text(key);
    if (value.empty()) return 0;
    wchar_t* end = nullptr;
    const long long result = std::wcstoll(value.c_str(), &end, 10);
    return end && *end == L'\0' ? result : 0;
}

} // namespace recorder
