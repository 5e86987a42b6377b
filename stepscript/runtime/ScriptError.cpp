#include "stepscript/runtime/ScriptError.h"
#include "stepscript/language/SyntaxError.h"

namespace stepscript {

const wchar_t* const kRuntimeSource = L"StepScript runtime error";
const wchar_t* const kCompileSource = L"StepScript compilation error";

std::wstring ErrorMessage(int number) {
    // The run-time errors of the language, with their texts.
    static const struct {
        int number;
        const wchar_t* text;
    } kMessages[] = {
        {5, L"Invalid procedure call or argument"},
        {6, L"Overflow"},
        {7, L"Out of memory"},
        {9, L"Subscript out of range"},
        {10, L"This array is fixed or temporarily locked"},
        {11, L"Division by zero"},
        {13, L"Type mismatch"},
        {14, L"Out of string space"},
        {17, L"Can't perform requested operation"},
        {28, L"Out of stack space"},
        {35, L"Sub or function not defined"},
        {48, L"Error in loading DLL"},
        {51, L"Internal error"},
        {52, L"Bad file name or number"},
        {53, L"File not found"},
        {54, L"Bad file mode"},
        {55, L"File already open"},
        {57, L"Device I/O error"},
        {58, L"File already exists"},
        {61, L"Disk full"},
        {62, L"Input past end of file"},
        {67, L"Too many files"},
        {68, L"Device unavailable"},
        {70, L"Permission denied"},
        {71, L"Disk not ready"},
        {74, L"Can't rename with different drive"},
        {75, L"Path/File access error"},
        {76, L"Path not found"},
        {91, L"Object variable not set"},
        {92, L"For loop not initialized"},
        {94, L"Invalid use of Null"},
        {322, L"Can't create necessary temporary file"},
        {424, L"Object required"},
        {429, L"ActiveX component can't create object"},
        {430, L"Class doesn't support Automation"},
        {432, L"File name or class name not found during Automation operation"},
        {438, L"Object doesn't support this property or method"},
        {440, L"Automation error"},
        {445, L"Object doesn't support this action"},
        {446, L"Object doesn't support named arguments"},
        {447, L"Object doesn't support current locale setting"},
        {448, L"Named argument not found"},
        {449, L"Argument not optional"},
        {450, L"Wrong number of arguments or invalid property assignment"},
        {451, L"Object not a collection"},
        {453, L"Specified DLL function not found"},
        {455, L"Code resource lock error"},
        {457, L"This key is already associated with an element of this collection"},
        {458, L"Variable uses an Automation type not supported in VBScript"},
        {462, L"The remote server machine does not exist or is unavailable"},
        {481, L"Invalid picture"},
        {500, L"Variable is undefined"},
        {501, L"Illegal assignment"},
        {502, L"Object not safe for scripting"},
        {503, L"Object not safe for initializing"},
        {504, L"Object not safe for creating"},
        {505, L"Invalid or unqualified reference"},
        {506, L"Class not defined"},
        {507, L"An exception occurred"},
        {5008, L"Illegal assignment"},
        {5016, L"Regular Expression object expected"},
        {5017, L"Syntax error in regular expression"},
        {5018, L"Unexpected quantifier"},
        {5019, L"Expected ']' in regular expression"},
        {5020, L"Expected ')' in regular expression"},
        {5021, L"Invalid range in character set"},
        {32811, L"Element not found"},
    };
    for (const auto& m : kMessages)
        if (m.number == number) return m.text;
    return L"Unknown runtime error";
}

bool IsKnownError(int number) { return ErrorMessage(number) != L"Unknown runtime error"; }

int LanguageErrorOf(HRESULT hr) {
    static const struct {
        HRESULT system;
        int number;
    } kMapped[] = {
        {E_OUTOFMEMORY, 7},           {E_INVALIDARG, 5},             {DISP_E_OVERFLOW, 6},
        {DISP_E_DIVBYZERO, 11},       {DISP_E_TYPEMISMATCH, 13},     {DISP_E_BADVARTYPE, 13},
        {DISP_E_BADINDEX, 9},         {DISP_E_ARRAYISLOCKED, 10},    {DISP_E_PARAMNOTOPTIONAL, 449},
        {DISP_E_BADPARAMCOUNT, 450},  {DISP_E_MEMBERNOTFOUND, 438},  {DISP_E_UNKNOWNNAME, 438},
        {DISP_E_NOTACOLLECTION, 451}, {E_NOTIMPL, 445},
    };
    for (const auto& m : kMapped) {
        if (m.system == hr) return m.number;
    }
    if ((static_cast<ULONG>(hr) & 0xFFFF0000u) == 0x800A0000u && IsKnownError(hr & 0xFFFF)) return hr & 0xFFFF;
    return 0;
}

void RaiseError(int number, const std::wstring& name) {
    throw ScriptError{ScriptHr(number), kRuntimeSource, ErrorMessage(number), name};
}

} // namespace stepscript
