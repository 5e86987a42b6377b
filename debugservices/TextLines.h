#pragma once
#include <string>
#include <vector>

namespace debugservices {

// Line index of a document's text. A line ends after "\r\n", "\n" or a lone "\r"; the
// break belongs to the line it ends. A text that ends with a break has an empty last
// line after it, where the end position lies.
class TextLines {
public:
    void Rebuild(const std::wstring& text);

    // Number of lines; an empty text has none.
    unsigned long Count() const { return length_ == 0 ? 0 : static_cast<unsigned long>(starts_.size()); }
    // 0-based line and offset in it of a position; positions up to the text's end are valid.
    bool LineOf(unsigned long position, unsigned long& line, unsigned long& offset) const;
    // Position of the first character of a 0-based line.
    bool PositionOf(unsigned long line, unsigned long& position) const;

private:
    std::vector<unsigned long> starts_{0};
    unsigned long length_ = 0;
};

} // namespace debugservices
