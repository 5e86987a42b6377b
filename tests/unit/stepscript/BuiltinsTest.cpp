#include "standins/stepscript/Builtins.h"
#include "standins/stepscript/ErrObject.h"
#include "standins/stepscript/Interpreter.h"
#include "standins/stepscript/Operators.h"
#include "standins/stepscript/ScriptError.h"
#include <gtest/gtest.h>
#include <cwctype>

namespace stepscript {
namespace {

// Calls the built-ins as the interpreter does, in the English (United States) locale
// so that dates and numbers read and print the same everywhere.
class Builtins : public ::testing::Test {
protected:
    void SetUp() override { SetScriptLocale(0x0409); }
    void TearDown() override { SetScriptLocale(0); }

    Value call(const std::wstring& name, std::vector<Value> args = {}) {
        std::wstring lower = name;
        for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
        return CallBuiltin(lower, name, args, err_.Get());
    }
    std::wstring text(const std::wstring& name, std::vector<Value> args = {}) {
        return ToText(call(name, std::move(args)));
    }
    // The error number a call raises, 0 when it succeeds.
    int error(const std::wstring& name, std::vector<Value> args = {}) {
        try {
            call(name, std::move(args));
        } catch (const ScriptError& e) {
            return ErrObject::NumberOf(e.hr);
        }
        return 0;
    }

    Builtins() { err_.Attach(new ErrObject()); }
    Microsoft::WRL::ComPtr<ErrObject> err_;
};

Value S(const wchar_t* s) { return Value::String(s); }
Value L(LONG n) { return Value::Long(n); }
Value I(SHORT n) { return Value::Int(n); }
Value D(double d) { return Value::Double(d); }

TEST_F(Builtins, Probe) {
    std::wstring out;
    auto show = [&](const std::wstring& label, const Value& v) {
        try { out += label + L" = [" + ToText(v) + L"] " + TypeNameOf(v) + L"\n"; }
        catch (const ScriptError& e) { out += label + L" raised " + e.description + L"\n"; }
    };
    show(L"date", call(L"DateSerial", {I(2024), I(3), I(5)}));
    show(L"datetime", D(45356.75).variant().vt ? Value::Date(45356.75) : Value());
    show(L"time", Value::Date(0.75));
    show(L"zero", Value::Date(0));
    show(L"neg", Value::Date(-1.25));
    show(L"fn", call(L"FormatNumber", {D(1234567.891)}));
    show(L"fn0", call(L"FormatNumber", {D(-0.5), I(0)}));
    show(L"fn2", call(L"FormatNumber", {D(-0.5), I(2), I(0), I(-1)}));
    show(L"fc", call(L"FormatCurrency", {D(1234.5)}));
    show(L"fp", call(L"FormatPercent", {D(0.256)}));
    show(L"fdt0", call(L"FormatDateTime", {Value::Date(45356.75)}));
    show(L"fdt1", call(L"FormatDateTime", {Value::Date(45356.75), I(1)}));
    show(L"fdt2", call(L"FormatDateTime", {Value::Date(45356.75), I(2)}));
    show(L"fdt3", call(L"FormatDateTime", {Value::Date(45356.75), I(3)}));
    show(L"fdt4", call(L"FormatDateTime", {Value::Date(45356.75), I(4)}));
    show(L"cdate", call(L"CDate", {S(L"March 5, 2024 6:00 PM")}));
    show(L"cdate2", call(L"CDate", {S(L"3/5/2024")}));
    show(L"cur", call(L"CCur", {D(1234.56789)}));
    show(L"sng", call(L"CSng", {D(0.1)}));
    show(L"dbl", BinaryOp(Op::Add, D(0.1), D(0.2)));
    show(L"big", D(1e20));
    show(L"small", D(1.5e-7));
    show(L"hexstr", call(L"CLng", {S(L"&H1F")}));
    show(L"monthname", call(L"MonthName", {I(3)}));
    show(L"wdn", call(L"WeekdayName", {I(1)}));
    show(L"isdate", call(L"IsDate", {S(L"2024-03-05")}));
    show(L"int", call(L"Int", {D(-8.4)}));
    show(L"fix", call(L"Fix", {D(-8.4)}));
    show(L"round", call(L"Round", {D(2.5)}));
    show(L"round2", call(L"Round", {D(2.675), I(2)}));
    ADD_FAILURE() << std::string(out.begin(), out.end());
}

} // namespace
} // namespace stepscript
