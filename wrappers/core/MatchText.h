#pragma once
#include <optional>
#include <string>

namespace wrappers {

// The one text comparison of wrappers. Either side absent: no match. A pattern that
// begins with a backslash is a perl regular expression (the rest of the pattern) that
// must match the whole text; any other pattern must equal the text exactly. An invalid
// expression throws (the member then fails with E_UNEXPECTED).
bool matchText(const std::optional<std::wstring>& text, const std::optional<std::wstring>& pattern);

} // namespace wrappers
