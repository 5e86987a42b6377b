#include "wrappers/core/MatchText.h"
#include <boost/regex.hpp>

namespace wrappers {

bool matchText(const std::optional<std::wstring>& text, const std::optional<std::wstring>& pattern) {
    if (!text || !pattern) return false;
    if (pattern->empty() || (*pattern)[0] != L'\\') return *text == *pattern;
    // Compiled on every call: patterns come from scripts and are rarely reused.
    const boost::wregex expression(pattern->substr(1), boost::regex_constants::perl);
    return boost::regex_match(*text, expression);
}

} // namespace wrappers
