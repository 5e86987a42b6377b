#pragma once
#include "common/ScriptingGuids.h"
#include "common/FreeThreaded.h"
#include "stepscript/runtime/Interpreter.h"
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
// Takes the snapshot on the script thread: arrays show their bounds ("(0 to 4)"), objects
// of script classes their class name; both are expandable when they have members.
PropertySnapshot Snapshot(const std::wstring& name, const Value& v, UINT radix);
// The members of an array (its elements, "(0)", "(1, 2)") or of an object of a script
// class (its member variables); none for other values. Script thread only.
std::vector<std::pair<std::wstring, Value>> MembersOf(const Value& v);

// One variable, array element, object member or evaluation result; setting its value
// assigns in its frame. It keeps a copy of the value (arrays copied, objects referenced),
// never a pointer into a frame, so that arrays and objects of script classes can be
// expanded after the frame has moved on; members are read on the script thread.
class ValueProperty : public common::FreeThreaded<IDebugProperty> {
public:
    ValueProperty(ScriptEngine* engine, std::weak_ptr<Frame> frame, PropertySnapshot snapshot, Value value,
                  IDebugProperty* parent);

    STDMETHODIMP GetPropertyInfo(DWORD fields, UINT radix, DebugPropertyInfo* info) override;
    STDMETHODIMP GetExtendedInfo(ULONG, GUID*, VARIANT*) override;
    STDMETHODIMP SetValueAsString(LPCOLESTR value, UINT radix) override;
    STDMETHODIMP EnumMembers(DWORD fields, UINT radix, REFIID riid, IEnumDebugPropertyInfo** members) override;
    STDMETHODIMP GetParent(IDebugProperty** parent) override;

private:
    Microsoft::WRL::ComPtr<ScriptEngine> engine_;
    std::weak_ptr<Frame> frame_;
    PropertySnapshot snapshot_;
    Value value_;
    Microsoft::WRL::ComPtr<IDebugProperty> parent_;
};

// A stack frame's variables: its members are the procedure's locals, or the globals.
class FrameProperty : public common::FreeThreaded<IDebugProperty> {
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

class PropertyInfoEnum : public common::FreeThreaded<IEnumDebugPropertyInfo> {
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
