#pragma once
#include "editor/LanguageDefinitions.h"
#include <string>
#include <vector>

namespace editor {

// Rich text of plain text with a style class per character, so that a whole screen of
// colouring goes into the control in one stream-in instead of one formatting call per
// token. The text's face and size are given; each class brings its own effects and
// colours (automatic colours included).
class RtfBuilder {
public:
    RtfBuilder(const LanguageDefinitions& definitions, const std::wstring& face, float points);

    // `text` with '\n' at paragraph ends; classes[i] is the style class of text[i].
    std::string Build(const std::wstring& text, const std::vector<unsigned char>& classes) const;

private:
    // Control words that turn the format of class `from` (-1: unknown) into that of `to`.
    std::string Effects(int from, int to) const;

    const LanguageDefinitions& definitions_;
    std::string header_;
    std::vector<long> colors_;  // the colour table after its automatic entry 0
};

} // namespace editor
