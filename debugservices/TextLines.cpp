#include "debugservices/TextLines.h"
#include <algorithm>

namespace debugservices {

void TextLines::Rebuild(const std::wstring& text) {
    starts_.assign(1, 0);
    length_ = static_cast<unsigned long>(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        if (text[i] == L'\n' || text[i] == L'\r') starts_.push_back(static_cast<unsigned long>(i + 1));
    }
}

bool TextLines::LineOf(unsigned long position, unsigned long& line, unsigned long& offset) const {
    if (position > length_) return false;
    auto after = std::upper_bound(starts_.begin(), starts_.end(), position);
    line = static_cast<unsigned long>(after - starts_.begin() - 1);
    offset = position - starts_[line];
    return true;
}

bool TextLines::PositionOf(unsigned long line, unsigned long& position) const {
    if (line >= starts_.size()) return false;
    position = starts_[line];
    return true;
}

} // namespace debugservices
