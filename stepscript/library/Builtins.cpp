#include "stepscript/library/Builtins.h"
#include "stepscript/library/BuiltinSupport.h"
#include "stepscript/runtime/Operators.h"
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>
#include <cwctype>
#include <new>
#include <stdexcept>

namespace stepscript {
namespace builtins {

std::wstring Upper(std::wstring s) {
    if (!s.empty()) ::CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

std::wstring Lower(std::wstring s) {
    if (!s.empty()) ::CharLowerBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

namespace {

using Microsoft::WRL::ComPtr;

Value CreateObjectFn(const std::wstring&, Args& a, ErrObject*) {
    std::wstring progId = Text(a, 0);
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(progId.c_str(), &clsid)) && FAILED(::CLSIDFromString(progId.c_str(), &clsid)))
        RaiseError(errors::kCannotCreateObject, progId);
    ComPtr<IDispatch> object;
    std::wstring server = Given(a, 1) ? Text(a, 1) : std::wstring();
    if (server.empty()) {
        HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(object.GetAddressOf()));
        if (FAILED(hr) || !object) RaiseError(errors::kCannotCreateObject, progId);
    } else {
        COSERVERINFO info{};
        info.pwszName = &server[0];
        MULTI_QI qi{&IID_IDispatch, nullptr, S_OK};
        HRESULT hr = ::CoCreateInstanceEx(clsid, nullptr, CLSCTX_REMOTE_SERVER | CLSCTX_LOCAL_SERVER, &info, 1, &qi);
        if (FAILED(hr) || FAILED(qi.hr) || !qi.pItf) RaiseError(errors::kRemoteServer, server);
        object.Attach(static_cast<IDispatch*>(qi.pItf));
    }
    return Value::Object(object.Get());
}

Value GetObjectFn(const std::wstring&, Args& a, ErrObject*) {
    std::wstring path = Given(a, 0) ? Text(a, 0) : std::wstring();
    std::wstring progId = Given(a, 1) ? Text(a, 1) : std::wstring();
    ComPtr<IDispatch> object;
    if (path.empty()) {
        // The running instance of the class.
        CLSID clsid;
        if (progId.empty()) InvalidCall();
        if (FAILED(::CLSIDFromProgID(progId.c_str(), &clsid))) RaiseError(errors::kCannotCreateObject, progId);
        ComPtr<IUnknown> unk;
        if (FAILED(::GetActiveObject(clsid, nullptr, unk.GetAddressOf())) || !unk ||
            FAILED(unk.As(&object)))
            RaiseError(errors::kCannotCreateObject, progId);
    } else if (FAILED(::CoGetObject(path.c_str(), nullptr, IID_IDispatch,
                                    reinterpret_cast<void**>(object.GetAddressOf()))) || !object) {
        RaiseError(errors::kCannotCreateObject, path);
    }
    return Value::Object(object.Get());
}

Value ErrFn(const std::wstring&, Args&, ErrObject* err) { return Value::Object(err); }

Value IsArrayFn(const std::wstring&, Args& a, ErrObject*) { return Value::Bool(Given(a, 0) && a[0].isArray()); }
Value IsObjectFn(const std::wstring&, Args& a, ErrObject*) { return Value::Bool(Given(a, 0) && a[0].isObject()); }
Value IsEmptyFn(const std::wstring&, Args& a, ErrObject*) { return Value::Bool(a.empty() || a[0].isEmpty()); }
Value IsNullFn(const std::wstring&, Args& a, ErrObject*) { return Value::Bool(Given(a, 0) && a[0].isNull()); }

Value IsNumericFn(const std::wstring&, Args& a, ErrObject*) {
    if (!Given(a, 0)) return Value::Bool(false);
    Value v = a[0];
    if (v.isObject()) {
        if (v.isNothing()) return Value::Bool(false);
        try {
            v = DefaultValue(v);
        } catch (const ScriptError&) {
            return Value::Bool(false);
        }
    }
    switch (v.type()) {
    case VT_EMPTY: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_BOOL: case VT_UI1:
    case VT_DECIMAL: case VT_DATE: return Value::Bool(true);
    case VT_BSTR: {
        double d = 0;
        try {
            return Value::Bool(ParseNumber(ToText(v), d));
        } catch (const ScriptError&) {
            return Value::Bool(true);  // too large for a Double is still a number
        }
    }
    default: return Value::Bool(false);
    }
}

Value TypeNameFn(const std::wstring&, Args& a, ErrObject*) {
    if (!Given(a, 0)) RaiseError(errors::kArgumentNotOptional);
    return Value::String(TypeNameOf(a[0]));
}

Value VarTypeFn(const std::wstring&, Args& a, ErrObject*) {
    if (!Given(a, 0)) RaiseError(errors::kArgumentNotOptional);
    const Value& v = a[0];
    // An object with a default property reports the type of that value.
    if (v.isObject() && !v.isNothing() && v.dispatch()) {
        try {
            Value d = DefaultValue(v);
            return Value::Int(static_cast<SHORT>(VarTypeOf(d)));
        } catch (const ScriptError&) {
        }
    }
    return Value::Int(static_cast<SHORT>(VarTypeOf(v)));
}

Value ScriptEngineFn(const std::wstring&, Args&, ErrObject*) { return Value::String(L"VBScript"); }
Value MajorFn(const std::wstring&, Args&, ErrObject*) { return Value::Long(5); }
Value MinorFn(const std::wstring&, Args&, ErrObject*) { return Value::Long(8); }
Value BuildFn(const std::wstring&, Args&, ErrObject*) { return Value::Long(16384); }

Value RgbFn(const std::wstring&, Args& a, ErrObject*) {
    LONG c[3];
    for (size_t i = 0; i < 3; ++i) {
        c[i] = Long(a, i);
        if (c[i] < 0) InvalidCall();
        if (c[i] > 255) c[i] = 255;
    }
    return Value::Long(c[0] | (c[1] << 8) | (c[2] << 16));
}

Value GetLocaleFn(const std::wstring&, Args&, ErrObject*) { return Value::Long(static_cast<LONG>(ScriptLocale())); }

Value SetLocaleFn(const std::wstring&, Args& a, ErrObject*) {
    LONG previous = static_cast<LONG>(ScriptLocale());
    LCID lcid = 0;
    Value v = Given(a, 0) ? Arg(a, 0) : Value::Long(0);
    if (v.type() == VT_BSTR) {
        std::wstring name = ToText(v);
        lcid = name.empty() ? ::GetUserDefaultLCID() : ::LocaleNameToLCID(name.c_str(), 0);
        if (!lcid) InvalidCall();
    } else {
        lcid = static_cast<LCID>(ToLong(v));
        if (lcid == 0) lcid = ::GetUserDefaultLCID();
        if (!::IsValidLocale(lcid, LCID_SUPPORTED)) InvalidCall();
    }
    SetScriptLocale(lcid);
    return Value::Long(previous);
}

Value MsgBoxFn(const std::wstring&, Args& a, ErrObject*) {
    std::wstring prompt = Text(a, 0);
    UINT buttons = static_cast<UINT>(LongOr(a, 1, 0));
    std::wstring title = Given(a, 2) ? Text(a, 2) : L"VBScript";
    if (prompt.size() > 1024) prompt.resize(1024);
    int answer = ::MessageBoxW(::GetActiveWindow(), prompt.c_str(), title.c_str(), buttons);
    if (answer == 0) InvalidCall();
    return Value::Int(static_cast<SHORT>(answer));
}

Value InputBoxFn(const std::wstring&, Args& a, ErrObject*) {
    std::wstring prompt = Text(a, 0);
    std::wstring title = Given(a, 1) ? Text(a, 1) : L"VBScript";
    std::wstring initial = Given(a, 2) ? Text(a, 2) : std::wstring();
    bool cancelled = false;
    std::wstring answer = ShowInputBox(prompt, title, initial, cancelled);
    return cancelled ? Value::String(L"") : Value::String(answer);
}

Value LoadPictureFn(const std::wstring&, Args& a, ErrObject*) {
    std::wstring path = Given(a, 0) ? Text(a, 0) : std::wstring();
    if (path.empty()) return Value::Nothing();
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) RaiseError(errors::kFileNotFound, path);
    ComPtr<IDispatch> picture;
    Value p = Value::String(path);
    if (FAILED(::OleLoadPicturePath(p.variant().bstrVal, nullptr, 0, 0, IID_IDispatch,
                                    reinterpret_cast<void**>(picture.GetAddressOf()))) || !picture)
        RaiseError(errors::kInvalidPicture);
    return Value::Object(picture.Get());
}

const Table& TheTable() {
    static const Table table = [] {
        Table t = {
            {L"createobject", {1, 2, CreateObjectFn}},
            {L"getobject", {0, 2, GetObjectFn}},
            {L"err", {0, 0, ErrFn}},
            {L"isarray", {1, 1, IsArrayFn}},
            {L"isobject", {1, 1, IsObjectFn}},
            {L"isempty", {1, 1, IsEmptyFn}},
            {L"isnull", {1, 1, IsNullFn}},
            {L"isnumeric", {1, 1, IsNumericFn}},
            {L"typename", {1, 1, TypeNameFn}},
            {L"vartype", {1, 1, VarTypeFn}},
            {L"scriptengine", {0, 0, ScriptEngineFn}},
            {L"scriptenginemajorversion", {0, 0, MajorFn}},
            {L"scriptengineminorversion", {0, 0, MinorFn}},
            {L"scriptenginebuildversion", {0, 0, BuildFn}},
            {L"rgb", {3, 3, RgbFn}},
            {L"getlocale", {0, 0, GetLocaleFn}},
            {L"setlocale", {0, 1, SetLocaleFn}},
            {L"msgbox", {1, 5, MsgBoxFn}},
            {L"inputbox", {1, 7, InputBoxFn}},
            {L"loadpicture", {0, 1, LoadPictureFn}},
        };
        AddStringFunctions(t);
        AddConversionFunctions(t);
        AddDateFunctions(t);
        AddFormatFunctions(t);
        AddArrayFunctions(t);
        return t;
    }();
    return table;
}

} // namespace
} // namespace builtins

bool IsBuiltin(const std::wstring& lower) { return builtins::TheTable().count(lower) != 0; }

Value CallBuiltin(const std::wstring& lower, const std::wstring& name, std::vector<Value>& args, ErrObject* err) {
    const builtins::Builtin& b = builtins::TheTable().at(lower);
    // Trailing left-out arguments count as not given.
    size_t count = args.size();
    while (count > 0 && IsMissing(args[count - 1])) --count;
    if (count < b.minArgs || args.size() > b.maxArgs) RaiseError(errors::kWrongArgumentCount, name);
    try {
        return b.fn(name, args, err);
    } catch (ScriptError& e) {
        // An invalid argument names the function ("Invalid procedure call or argument: 'Left'").
        LONG number = ErrObject::NumberOf(e.hr);
        if (number == errors::kInvalidCall && e.source == kRuntimeSource && e.name.empty()) e.name = name;
        throw;
    } catch (const std::bad_alloc&) {
        RaiseError(errors::kOutOfMemory, name);
    } catch (const std::length_error&) {
        RaiseError(errors::kOutOfMemory, name);
    }
}

} // namespace stepscript
