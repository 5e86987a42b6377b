#pragma once
#include "common/ScriptingGuids.h"
#include "standins/stepscript/FreeThreaded.h"
#include "standins/stepscript/Interpreter.h"
#include <memory>
#include <string>
#include <vector>

namespace stepscript {

class ScriptEngine;

// Name, type and value text of one variable or result, taken on the script thread.
struct PropertySnapshot {
    std::wstring name;
    std::wstring type;
    std::wstring value;
    std::wstring fullName;
    DWORD attributes = 0;
};

// How the debugger shows a value in a radix (16 shows integers as &H...).
std::wstring FormatValue(const Value& v, UINT radix);
PropertySnapshot Snapshot(const std::wstring& name, const Value& v, UINT radix);

// One variable (or an evaluation result); setting its value assigns in its frame.
class ValueProperty : public FreeThreaded<IDebugProperty> {
public:
    ValueProperty(ScriptEngine* engine, std::weak_ptr<Frame> frame, PropertySnapshot snapshot, IDebugProperty* parent);

    STDMETHODIMP GetPropertyInfo(DWORD fields, UINT radix, DebugPropertyInfo* info) override;
    STDMETHODIMP GetExtendedInfo(ULONG, GUID*, VARIANT*) override;
    STDMETHODIMP SetValueAsString(LPCOLESTR value, UINT radix) override;
    STDMETHODIMP EnumMembers(DWORD fields, UINT radix, REFIID riid, IEnumDebugPropertyInfo** members) override;
    STDMETHODIMP GetParent(IDebugProperty** parent) override;

private:
    Microsoft::WRL::ComPtr<ScriptEngine> engine_;
    std::weak_ptr<Frame> frame_;
    PropertySnapshot snapshot_;
    Microsoft::WRL::ComPtr<IDebugProperty> parent_;
};

// A stack frame's variables: its members are the procedure's locals, or the globals.
class FrameProperty : public FreeThreaded<IDebugProperty> {
public:
    FrameProperty(ScriptEngine* engine, std::weak_ptr<Frame> frame, std::wstring name);

    STDMETHODIMP GetPropertyInfo(DWORD fields, UINT radix, DebugPropertyInfo* info) override;
    STDMETHODIMP GetExtendedInfo(ULONG, GUID*, VARIANT*) override;
    STDMETHODIMP SetValueAsString(LPCOLESTR, UINT) override;
    STDMETHODIMP EnumMembers(DWORD fields, UINT radix, REFIID riid, IEnumDebugPropertyInfo** members) override;
    STDMETHODIMP GetParent(IDebugProperty** parent) override;

private:
    Microsoft::WRL::ComPtr<ScriptEngine> engine_;
    std::weak_ptr<Frame> frame_;
    std::wstring name_;
};

class PropertyInfoEnum : public FreeThreaded<IEnumDebugPropertyInfo> {
public:
    struct Entry {
        PropertySnapshot snapshot;
        Microsoft::WRL::ComPtr<IDebugProperty> property;
    };
    PropertyInfoEnum(std::vector<Entry> entries, DWORD fields, size_t next = 0)
        : entries_(std::move(entries)), fields_(fields), next_(next) {}

    STDMETHODIMP Next(ULONG count, DebugPropertyInfo* out, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumDebugPropertyInfo** clone) override;
    STDMETHODIMP GetCount(ULONG* count) override;

private:
    std::mutex lock_;
    std::vector<Entry> entries_;
    DWORD fields_;
    size_t next_;
};

// Fills info with the fields asked for (strings newly allocated, the property counted).
void FillPropertyInfo(const PropertySnapshot& s, IDebugProperty* property, DWORD fields, DebugPropertyInfo* info);

} // namespace stepscript
