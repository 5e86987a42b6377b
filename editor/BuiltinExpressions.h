#pragma once
#include <string>

namespace editor {

// The colouring expressions the program carries for its five known language names.
struct BuiltinExpressionSet {
    const wchar_t* name;
    const wchar_t* mainExpression;
    const wchar_t* blockCommentExpression;  // nullptr when the language has none
};

// The set whose name equals languageName ignoring case, or nullptr.
const BuiltinExpressionSet* FindBuiltinExpressions(const std::wstring& languageName);

} // namespace editor
