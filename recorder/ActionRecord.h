#pragma once
// One action of the tester as the hook library describes it from inside the application:
// a list of key and value texts (the kind of action, the window it happened in and what
// naming that window needs). See OstrelStartRecording for the wire form.
#include <cstddef>
#include <map>
#include <string>

namespace recorder {

class ActionRecord {
public:
    ActionRecord() = default;
    // From the hook's data: zero-terminated strings, key and value alternating. A
    // trailing key without its value is dropped.
    static ActionRecord Parse(const wchar_t* data, size_t count);

    void set(const std::wstring& key, const std::wstring& value) { fields_[key] = value; }
    bool has(const std::wstring& key) const { return fields_.count(key) != 0; }
    // Empty when missing.
    std::wstring text(const std::wstring& key) const;
    // 0 when missing or not a number.
    long long number(const std::wstring& key) const;

    std::wstring kind() const { return text(L"kind"); }

private:
    std::map<std::wstring, std::wstring> fields_;
};

} // namespace recorder
