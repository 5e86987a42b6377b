#pragma once
#include <string>

namespace editor {

// The colouring expressions the program carries for its five known language names.
struct BuiltinExpressionSet {
    const wchar_t* name;
    const wchar_t* mainExpression;
    const wchar_t* blockCommentExpression;  // nullptr when the language has none
    // The characters a block comment opens and closes with ("" when it has none): an
    // edit that changes them may recolour every line after it.
    const wchar_t* blockDelimiters;
};

// The set whose name equals languageName ignoring case, or nullptr.
const BuiltinExpressionSet* FindBuiltinExpressions(const std::wstring& languageName);

} // namespace editor
