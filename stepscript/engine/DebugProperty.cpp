#include "stepscript/engine/DebugProperty.h"
#include "common/ComObject.h"
#include "stepscript/runtime/ArrayValue.h"
#include "stepscript/engine/ScriptEngine.h"
#include "stepscript/runtime/ScriptObject.h"
#include "stepscript/language/SyntaxError.h"
#include "common/ComError.h"
#include <algorithm>
#include <cwctype>

namespace stepscript {

using Microsoft::WRL::ComPtr;

namespace {

BSTR Alloc(const std::wstring& s) { return ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

SAFEARRAY* ArrayOf(const Value& v) {
    const VARIANT& var = v.variant();
    if (!(var.vt & VT_ARRAY)) return nullptr;
    return (var.vt & VT_BYREF) ? (var.pparray ? *var.pparray : nullptr) : var.parray;
}

struct Bounds {
    std::vector<LONG> lower, upper;
    size_t count = 1;
};

Bounds BoundsOf(SAFEARRAY* array) {
    Bounds b;
    UINT rank = array ? ::SafeArrayGetDim(array) : 0;
    for (UINT d = 1; d <= rank; ++d) {
        LONG lo = 0, hi = -1;
        ::SafeArrayGetLBound(array, d, &lo);
        ::SafeArrayGetUBound(array, d, &hi);
        b.lower.push_back(lo);
        b.upper.push_back(hi);
        b.count *= hi >= lo ? static_cast<size_t>(hi - lo + 1) : 0;
    }
    if (rank == 0) b.count = 0;
    return b;
}

Microsoft::WRL::ComPtr<IScriptObject> ScriptObjectOf(const Value& v) {
    Microsoft::WRL::ComPtr<IScriptObject> object;
    if (IUnknown* unk = v.isObject() ? v.unknown() : nullptr)
        unk->QueryInterface(__uuidof(IScriptObject), reinterpret_cast<void**>(object.GetAddressOf()));
    return object;
}

} // namespace

std::vector<std::pair<std::wstring, Value>> MembersOf(const Value& v) {
    std::vector<std::pair<std::wstring, Value>> members;
    if (SAFEARRAY* array = ArrayOf(v)) {
        Bounds b = BoundsOf(array);
        if (b.count == 0) return members;
        // Rightmost index fastest: (0,0), (0,1), ... as the script writes them.
        std::vector<LONG> at = b.lower;
        for (size_t n = 0; n < b.count; ++n) {
            std::wstring name = L"(";
            std::vector<Value> indices;
            for (size_t d = 0; d < at.size(); ++d) {
                if (d) name += L",";
                name += std::to_wstring(at[d]);
                indices.push_back(Value::Long(at[d]));
            }
            members.emplace_back(name + L")", ArrayElement(v, indices));
            for (size_t d = at.size(); d-- > 0;) {
                if (++at[d] <= b.upper[d]) break;
                at[d] = b.lower[d];
            }
        }
    } else if (auto object = ScriptObjectOf(v)) {
        members = object->memberValues();
    }
    return members;
}

std::wstring FormatValue(const Value& v, UINT radix) {
    if (radix == 16) {
        wchar_t buffer[32];
        switch (v.type()) {
        case VT_I2: swprintf(buffer, 32, L"&H%X", static_cast<unsigned short>(v.variant().iVal)); return buffer;
        case VT_I4: swprintf(buffer, 32, L"&H%lX", static_cast<unsigned long>(v.variant().lVal)); return buffer;
        case VT_UI1: swprintf(buffer, 32, L"&H%X", v.variant().bVal); return buffer;
        default: break;
        }
    }
    return DisplayText(v);
}

PropertySnapshot Snapshot(const std::wstring& name, const Value& v, UINT radix) {
    PropertySnapshot s;
    s.name = name;
    s.fullName = name;
    s.type = TypeNameOf(v);
    s.value = FormatValue(v, radix);
    if (v.type() == VT_BSTR) s.attributes |= DBGPROP_ATTRIB_VALUE_IS_RAW_STRING;
    if (SAFEARRAY* array = ArrayOf(v)) {
        Bounds b = BoundsOf(array);
        s.value = L"(";
        for (size_t d = 0; d < b.lower.size(); ++d) {
            if (d) s.value += L", ";
            s.value += std::to_wstring(b.lower[d]) + L" to " + std::to_wstring(b.upper[d]);
        }
        s.value += L")";
        if (b.count > 0) s.attributes |= DBGPROP_ATTRIB_VALUE_IS_EXPANDABLE;
    } else if (auto object = ScriptObjectOf(v)) {
        s.type = object->className();
        if (!object->memberValues().empty()) s.attributes |= DBGPROP_ATTRIB_VALUE_IS_EXPANDABLE;
    }
    return s;
}

void FillPropertyInfo(const PropertySnapshot& s, IDebugProperty* property, DWORD fields, DebugPropertyInfo* info) {
    *info = DebugPropertyInfo{};
    info->m_dwValidFields = fields & (DBGPROP_INFO_NAME | DBGPROP_INFO_TYPE | DBGPROP_INFO_VALUE |
                                      DBGPROP_INFO_FULLNAME | DBGPROP_INFO_ATTRIBUTES | DBGPROP_INFO_DEBUGPROP);
    if (fields & DBGPROP_INFO_NAME) info->m_bstrName = Alloc(s.name);
    if (fields & DBGPROP_INFO_TYPE) info->m_bstrType = Alloc(s.type);
    if (fields & DBGPROP_INFO_VALUE) info->m_bstrValue = Alloc(s.value);
    if (fields & DBGPROP_INFO_FULLNAME) info->m_bstrFullName = Alloc(s.fullName);
    if (fields & DBGPROP_INFO_ATTRIBUTES) info->m_dwAttrib = s.attributes;
    if ((fields & DBGPROP_INFO_DEBUGPROP) && property) {
        info->m_pDebugProp = property;
        property->AddRef();
    } else {
        info->m_dwValidFields &= ~static_cast<DWORD>(DBGPROP_INFO_DEBUGPROP);
    }
}

ValueProperty::ValueProperty(ScriptEngine* engine, std::weak_ptr<Frame> frame, PropertySnapshot snapshot, Value value,
                             IDebugProperty* parent)
    : engine_(engine), frame_(std::move(frame)), snapshot_(std::move(snapshot)), value_(std::move(value)),
      parent_(parent) {}

STDMETHODIMP ValueProperty::GetPropertyInfo(DWORD fields, UINT, DebugPropertyInfo* info) {
    if (!info) return E_POINTER;
    FillPropertyInfo(snapshot_, this, fields, info);
    return S_OK;
}

STDMETHODIMP ValueProperty::GetExtendedInfo(ULONG, GUID*, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP ValueProperty::SetValueAsString(LPCOLESTR value, UINT radix) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!value) return E_INVALIDARG;
        // Elements and members assign through their full name: "a(1)", "Me.count".
        std::wstring text = snapshot_.fullName + L" = " + value;
        return engine_->onScriptThread([&]() -> HRESULT {
            std::shared_ptr<Frame> f = frame_.lock();
            if (!f) return E_FAIL;
            try {
                auto block = engine_->parseForDebugger(text, false);
                Value v = engine_->interpreter().evaluate(*block, *f);
                std::wstring fullName = snapshot_.fullName;
                snapshot_ = Snapshot(snapshot_.name, v, radix);
                snapshot_.fullName = fullName;
                value_ = v;
                return S_OK;
            } catch (const SyntaxError& e) {
                return e.hr;
            } catch (const ScriptError& e) {
                return e.hr;
            }
        });
    });
}

STDMETHODIMP ValueProperty::EnumMembers(DWORD fields, UINT radix, REFIID riid, IEnumDebugPropertyInfo** members) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!members) return E_POINTER;
        *members = nullptr;
        if (riid != IID_IEnumDebugPropertyInfo) return E_NOINTERFACE;
        std::vector<PropertyInfoEnum::Entry> entries;
        std::vector<Value> values;
        const bool isArray = ArrayOf(value_) != nullptr;
        HRESULT hr = engine_->onScriptThread([&]() -> HRESULT {
            try {
                for (auto& [name, v] : MembersOf(value_)) {
                    PropertyInfoEnum::Entry e;
                    e.snapshot = Snapshot(name, v, radix);
                    e.snapshot.fullName = snapshot_.fullName + (isArray ? name : L"." + name);
                    entries.push_back(std::move(e));
                    values.push_back(std::move(v));
                }
            } catch (const ScriptError& e) {
                return e.hr;
            }
            return S_OK;
        });
        if (FAILED(hr)) return hr;
        if (fields & DBGPROP_INFO_DEBUGPROP) {
            for (size_t i = 0; i < entries.size(); ++i)
                entries[i].property =
                    common::Adopt(new ValueProperty(engine_.Get(), frame_, entries[i].snapshot, values[i], this));
        }
        *members = new PropertyInfoEnum(std::move(entries), fields);
        return S_OK;
    });
}

STDMETHODIMP ValueProperty::GetParent(IDebugProperty** parent) {
    if (!parent) return E_POINTER;
    *parent = parent_.Get();
    if (!*parent) return E_FAIL;
    (*parent)->AddRef();
    return S_OK;
}

FrameProperty::FrameProperty(ScriptEngine* engine, std::weak_ptr<Frame> frame, std::wstring name)
    : engine_(engine), frame_(std::move(frame)), name_(std::move(name)) {}

STDMETHODIMP FrameProperty::GetPropertyInfo(DWORD fields, UINT, DebugPropertyInfo* info) {
    if (!info) return E_POINTER;
    PropertySnapshot s;
    s.name = name_;
    s.fullName = name_;
    s.attributes = DBGPROP_ATTRIB_VALUE_IS_EXPANDABLE;
    FillPropertyInfo(s, this, fields, info);
    return S_OK;
}

STDMETHODIMP FrameProperty::GetExtendedInfo(ULONG, GUID*, VARIANT*) { return E_NOTIMPL; }
STDMETHODIMP FrameProperty::SetValueAsString(LPCOLESTR, UINT) { return E_NOTIMPL; }

STDMETHODIMP FrameProperty::EnumMembers(DWORD fields, UINT radix, REFIID riid, IEnumDebugPropertyInfo** members) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!members) return E_POINTER;
        *members = nullptr;
        if (riid != IID_IEnumDebugPropertyInfo) return E_NOINTERFACE;
        std::vector<PropertyInfoEnum::Entry> entries;
        std::vector<Value> values;  // copies, for expanding arrays and objects later
        HRESULT hr = engine_->onScriptThread([&]() -> HRESULT {
            std::shared_ptr<Frame> f = frame_.lock();
            if (!f) return E_FAIL;
            const VariableMap& vars = f->procedure ? f->locals : engine_->interpreter().globals();
            for (const auto& [lower, var] : vars) {
                PropertyInfoEnum::Entry e;
                e.snapshot = Snapshot(var.name, var.get(), radix);
                entries.push_back(std::move(e));
                values.push_back(var.get());
            }
            if (f->procedure && f->me) {
                Value me = Value::Object(f->me.Get());
                entries.push_back({Snapshot(L"Me", me, radix), nullptr});
                values.push_back(std::move(me));
            }
            return S_OK;
        });
        if (FAILED(hr)) return hr;
        // Properties are made before sorting, each with its own value.
        if (fields & DBGPROP_INFO_DEBUGPROP) {
            for (size_t i = 0; i < entries.size(); ++i)
                entries[i].property =
                    common::Adopt(new ValueProperty(engine_.Get(), frame_, entries[i].snapshot, values[i], this));
        }
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return Lower(a.snapshot.name) < Lower(b.snapshot.name);
        });
        *members = new PropertyInfoEnum(std::move(entries), fields);
        return S_OK;
    });
}

STDMETHODIMP FrameProperty::GetParent(IDebugProperty** parent) {
    if (parent) *parent = nullptr;
    return E_FAIL;
}

STDMETHODIMP PropertyInfoEnum::Next(ULONG count, DebugPropertyInfo* out, ULONG* fetched) {
    if (!out) return E_POINTER;
    std::lock_guard<std::mutex> lock(lock_);
    ULONG n = 0;
    while (n < count && next_ < entries_.size()) {
        const Entry& e = entries_[next_++];
        FillPropertyInfo(e.snapshot, e.property.Get(), fields_, &out[n]);
        ++n;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

STDMETHODIMP PropertyInfoEnum::Skip(ULONG count) {
    std::lock_guard<std::mutex> lock(lock_);
    size_t left = entries_.size() - next_;
    next_ += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
}

STDMETHODIMP PropertyInfoEnum::Reset() {
    std::lock_guard<std::mutex> lock(lock_);
    next_ = 0;
    return S_OK;
}

STDMETHODIMP PropertyInfoEnum::Clone(IEnumDebugPropertyInfo** clone) {
    if (!clone) return E_POINTER;
    std::lock_guard<std::mutex> lock(lock_);
    *clone = new PropertyInfoEnum(entries_, fields_, next_);
    return S_OK;
}

STDMETHODIMP PropertyInfoEnum::GetCount(ULONG* count) {
    if (!count) return E_POINTER;
    std::lock_guard<std::mutex> lock(lock_);
    *count = static_cast<ULONG>(entries_.size());
    return S_OK;
}

} // namespace stepscript
