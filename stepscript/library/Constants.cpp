#include "stepscript/library/Builtins.h"
#include <unordered_map>

namespace stepscript {

bool BuiltinConstant(const std::wstring& lower, Value& value) {
    static const std::unordered_map<std::wstring, Value> constants = [] {
        std::unordered_map<std::wstring, Value> c = {
            // Strings
            {L"vbcrlf", Value::String(L"\r\n")},
            {L"vbnewline", Value::String(L"\r\n")},
            {L"vbcr", Value::String(L"\r")},
            {L"vblf", Value::String(L"\n")},
            {L"vbtab", Value::String(L"\t")},
            {L"vbback", Value::String(L"\b")},
            {L"vbformfeed", Value::String(L"\f")},
            {L"vbverticaltab", Value::String(L"\v")},
            {L"vbnullchar", Value::String(std::wstring(1, L'\0'))},
            {L"vbnullstring", Value::String(L"")},
            {L"vbobjecterror", Value::Long(static_cast<LONG>(0x80040000u))},
        };
        const struct {
            const wchar_t* name;
            LONG value;
        } longs[] = {
            // Colours
            {L"vbblack", 0x000000}, {L"vbred", 0x0000FF}, {L"vbgreen", 0x00FF00}, {L"vbyellow", 0x00FFFF},
            {L"vbblue", 0xFF0000}, {L"vbmagenta", 0xFF00FF}, {L"vbcyan", 0xFFFF00}, {L"vbwhite", 0xFFFFFF},
            // MsgBox options beyond an Integer
            {L"vbmsgboxsetforeground", 65536}, {L"vbmsgboxright", 524288}, {L"vbmsgboxrtlreading", 1048576},
        };
        for (const auto& l : longs) c.emplace(l.name, Value::Long(l.value));
        const struct {
            const wchar_t* name;
            SHORT value;
        } ints[] = {
            // Comparison
            {L"vbbinarycompare", 0}, {L"vbtextcompare", 1}, {L"vbdatabasecompare", 2},
            // Days of the week and weeks of the year
            {L"vbusesystemdayofweek", 0}, {L"vbsunday", 1}, {L"vbmonday", 2}, {L"vbtuesday", 3},
            {L"vbwednesday", 4}, {L"vbthursday", 5}, {L"vbfriday", 6}, {L"vbsaturday", 7},
            {L"vbusesystem", 0}, {L"vbfirstjan1", 1}, {L"vbfirstfourdays", 2}, {L"vbfirstfullweek", 3},
            // Date formats
            {L"vbgeneraldate", 0}, {L"vblongdate", 1}, {L"vbshortdate", 2}, {L"vblongtime", 3},
            {L"vbshorttime", 4},
            // MsgBox buttons, icons, defaults, modality, answers
            {L"vbokonly", 0}, {L"vbokcancel", 1}, {L"vbabortretryignore", 2}, {L"vbyesnocancel", 3},
            {L"vbyesno", 4}, {L"vbretrycancel", 5}, {L"vbcritical", 16}, {L"vbquestion", 32},
            {L"vbexclamation", 48}, {L"vbinformation", 64}, {L"vbdefaultbutton1", 0}, {L"vbdefaultbutton2", 256},
            {L"vbdefaultbutton3", 512}, {L"vbdefaultbutton4", 768}, {L"vbapplicationmodal", 0},
            {L"vbsystemmodal", 4096}, {L"vbok", 1}, {L"vbcancel", 2}, {L"vbabort", 3}, {L"vbretry", 4},
            {L"vbignore", 5}, {L"vbyes", 6}, {L"vbno", 7}, {L"vbmsgboxhelpbutton", 16384},
            // Tristate
            {L"vbusedefault", -2}, {L"vbtrue", -1}, {L"vbfalse", 0},
            // VarType
            {L"vbempty", 0}, {L"vbnull", 1}, {L"vbinteger", 2}, {L"vblong", 3}, {L"vbsingle", 4},
            {L"vbdouble", 5}, {L"vbcurrency", 6}, {L"vbdate", 7}, {L"vbstring", 8}, {L"vbobject", 9},
            {L"vberror", 10}, {L"vbboolean", 11}, {L"vbvariant", 12}, {L"vbdataobject", 13},
            {L"vbdecimal", 14}, {L"vbbyte", 17}, {L"vbarray", 8192},
        };
        for (const auto& i : ints) c.emplace(i.name, Value::Int(i.value));
        return c;
    }();
    auto it = constants.find(lower);
    if (it == constants.end()) return false;
    value = it->second;
    return true;
}

} // namespace stepscript
