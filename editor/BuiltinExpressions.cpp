#include "editor/BuiltinExpressions.h"
#include <wchar.h>

namespace editor {

// Groups of every main expression: 1 preprocessor, 2 comment, 3 number, 4 string, 5 keyword.
namespace {

const wchar_t kCppMain[] =
    LR"re((^[[:blank:]]*#[[:blank:]]*(?:define|error|if|defined|ifdef|ifndef|pragma|else|elif|endif|import|include|undef|line|using))|(//[^\n]*$|(?:/\*.*?(?:(?:\*/)|\')))|\<([+-]?(?:(?:0x[[:xdigit:]]+)|(?:(?:[[:digit:]]*\.)?[[:digit:]]+(?:[eE][+-]?[[:digit:]]+)?))u?(?:(?:int(?:8|16|32|64))|L)?)\>|('(?:(?:[^\\'\n]|\\.)*(?:'|$))|(?:"(?:[^\\"\n]|\\.)*(?:"|$)))|\<(__asm|__cdecl|__declspec|__export|__far16|__fastcall|__fortran|__import|__pascal|__rtti|__stdcall|_asm|_cdecl|__except|_export|_far16|_fastcall|__finally|_fortran|_import|_pascal|_stdcall|__thread|__try|asm|auto|bool|break|case|catch|cdecl|char|class|const|const_cast|continue|default|delete|do|double|dynamic_cast|else|enum|explicit|extern|false|float|for|friend|goto|if|inline|int|long|mutable|namespace|new|operator|pascal|private|protected|public|register|reinterpret_cast|return|short|signed|sizeof|static|static_cast|struct|switch|template|this|throw|true|try|typedef|typeid|typename|union|unsigned|using|virtual|void|volatile|wchar_t|while)\>)re";
// The match takes in the character before "/*" unless the comment starts a line.
const wchar_t kCppBlock[] = LR"re((?:[^/]|^)/\*.*?(?:(?:\*/)|\'))re";

const wchar_t kJsMain[] =
    LR"re((^[[:blank:]]*#[[:blank:]]*include)|(//[^\n]*$|(?:/\*.*?(?:(?:\*/)|\')))|\<([+-]?(?:(?:0x[[:xdigit:]]+)|(?:(?:[[:digit:]]*\.)?[[:digit:]]+(?:[eE][+-]?[[:digit:]]+)?))u?(?:(?:int(?:8|16|32|64))|L)?)\>|('(?:(?:[^\\'\n]|\\.)*(?:'|$))|(?:"(?:[^\\"\n]|\\.)*(?:"|$)))|\<(break|delete|function|return|typeof|case|do|if|switch|var|catch|else|in|this|void|continue|false|instanceof|throw|while|debugger|finally|new|true|with|default|for|null|try|abstract|double|goto|native|static|boolean|enum|implements|package|super|byte|export|import|private|synchronized|char|extends|int|protected|throws|class|final|interface|public|transient|const|float|long|short|volatile)\>)re";
const wchar_t kJsBlock[] = LR"re(/\*.*?(?:(?:\*/)|\'))re";

const wchar_t kVbsMain[] =
    LR"re((^[[:blank:]]*#[[:blank:]]*include)|(\<rem\>[^\n]*$|'[^\n]*$)|([+-]?(?:(?:\&\<H[[:xdigit:]]+)|(?:\<(?:[[:digit:]]*\.)?[[:digit:]]+)))\>|("(?:[^_"\n]|_.)*(?:"|$))|\<(and|call|class|case|const|default|dim|do|erase|empty|execute|executeglobal|exit|for|each|else|error|end|explicit|false|function|get|if|let|loop|next|new|not|nothing|null|on|or|option|private|property|public|randomize|redim|then|true|select|set|sub|while|wend|with|xor)\>)re";

const wchar_t kVbMain[] =
    LR"re((^[[:blank:]]*#[[:blank:]]*include)|(\<rem\>[^\n]*$|'[^\n]*$)|([+-]?(?:(?:\&\<H[[:xdigit:]]+)|(?:\<(?:[[:digit:]]*\.)?[[:digit:]]+)))\>|("(?:[^_"\n]|_.)*(?:"|$))|\<(addhandler|addressof|alias|and|andalso|ansi|as|assembly|attribute|auto|begin|boolean|byref|byte|byval|call|case|catch|cbool|cbyte|cchar|cdate|cdec|cdbl|char|cint|class|clng|cobj|const|cshort|csng|cstr|ctype|date|decimal|declare|default|delegate|dim|directcast|do|double|each|else|elseif|end|enum|erase|error|event|exit|false|finally|for|friend|function|get|gettype|goto|handles|if|implements|imports|in|inherits|integer|interface|is|let|lib|like|long|loop|me|mod|module|mustinherit|mustoverride|mybase|myclass|namespace|new|next|not|nothing|notinheritable|notoverridable|object|on|option|optional|or|orelse|overloads|overridable|overrides|paramarray|preserve|private|property|protected|public|raiseevent|readonly|redim|removehandler|resume|return|select|set|shadows|shared|short|single|static|step|stop|string|structure|sub|synclock|then|throw|to|true|try|typeof|unicode|until|variant|version|wend|when|while|with|withevents|writeonly|xor)\>)re";

// Group 1 stays empty: Pascal has no preprocessor.
const wchar_t kPasMain[] =
    LR"re(()|(//[^\n]*$)|([+-]?(?:(?:\&\<H[[:xdigit:]]+)|(?:\<(?:[[:digit:]]*\.)?[[:digit:]]+)))\>|("(?:[^_"\n]|_.)*(?:"|$))|\<(and|array|as|asm|at|automated|begin|case|class|const|constructor|destructor|dispinterface|div|do|downto|else|end|except|exports|file|finalization|finally|for|function|goto|if|implementation|in|inherited|initialization|inline|interface|is|label|library|mod|nil|not|object|of|on|or|out|packed|private|protected|public|published|procedure|program|property|raise|record|repeat|resourcestring|set|shl|shr|string|then|threadvar|to|try|type|unit|until|uses|var|while|with|xor)\>)re";
const wchar_t kPasBlock[] = LR"re(\{[^}]*\})re";

const BuiltinExpressionSet kSets[] = {
    {L"cpp", kCppMain, kCppBlock, L"/*"},
    {L"js", kJsMain, kJsBlock, L"/*"},
    {L"vbs", kVbsMain, nullptr, L""},
    {L"vb", kVbMain, nullptr, L""},
    {L"pas", kPasMain, kPasBlock, L"{}"},
};

} // namespace

const BuiltinExpressionSet* FindBuiltinExpressions(const std::wstring& languageName) {
    for (const auto& set : kSets) {
        if (_wcsicmp(set.name, languageName.c_str()) == 0) return &set;
    }
    return nullptr;
}

} // namespace editor
