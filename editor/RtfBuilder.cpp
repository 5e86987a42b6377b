#include "editor/RtfBuilder.h"
#include <algorithm>
#include <cmath>

namespace editor {

namespace {

void AppendEscaped(std::string& out, wchar_t c) {
    switch (c) {
    case L'\n': out += "\\par\n"; return;
    case L'\t': out += "\\tab "; return;
    case L'\\': out += "\\\\"; return;
    case L'{': out += "\\{"; return;
    case L'}': out += "\\}"; return;
    default: break;
    }
    if (c >= 0x20 && c < 0x80) {
        out += static_cast<char>(c);
    } else {
        // A signed 16-bit code, followed by the one-character replacement readers skip.
        out += "\\u" + std::to_string(static_cast<short>(c)) + "?";
    }
}

} // namespace

RtfBuilder::RtfBuilder(const LanguageDefinitions& definitions, const std::wstring& face, float points)
    : definitions_(definitions) {
    for (int styleClass = 0; styleClass < kStyleClassCount; ++styleClass) {
        const StyleDef& style = definitions.Style(styleClass);
        for (long color : {style.ForeColor, style.BackColor}) {
            if (color != kAutoColor && std::find(colors_.begin(), colors_.end(), color) == colors_.end())
                colors_.push_back(color);
        }
    }
    std::string faceName;
    for (wchar_t c : face) AppendEscaped(faceName, c);
    header_ = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset0 " + faceName + ";}}{\\colortbl ;";
    for (long color : colors_) {
        header_ += "\\red" + std::to_string(color & 0xFF) + "\\green" + std::to_string((color >> 8) & 0xFF) +
                   "\\blue" + std::to_string((color >> 16) & 0xFF) + ";";
    }
    header_ += "}\\f0\\fs" + std::to_string(std::lround(points * 2)) + " ";
}

std::string RtfBuilder::Effects(int from, int to) const {
    // Only what differs from the class before: the reader makes a new character style
    // for every control word. The first run states everything, as the text it replaces
    // may have had any format.
    const StyleDef& style = definitions_.Style(to);
    const StyleDef* previous = from >= 0 ? &definitions_.Style(from) : nullptr;
    auto index = [&](long color) {
        if (color == kAutoColor) return 0L;
        return static_cast<long>(std::find(colors_.begin(), colors_.end(), color) - colors_.begin()) + 1;
    };
    std::string out;
    if (!previous || previous->Bold != style.Bold) out += style.Bold ? "\\b" : "\\b0";
    if (!previous || previous->Italic != style.Italic) out += style.Italic ? "\\i" : "\\i0";
    if (!previous || previous->Underline != style.Underline) out += style.Underline ? "\\ul" : "\\ulnone";
    if (!previous || previous->Subscript != style.Subscript || previous->Superscript != style.Superscript)
        out += style.Subscript ? "\\sub" : (style.Superscript ? "\\super" : "\\nosupersub");
    if (!previous || previous->ForeColor != style.ForeColor) out += "\\cf" + std::to_string(index(style.ForeColor));
    if (!previous || previous->BackColor != style.BackColor)
        out += "\\highlight" + std::to_string(index(style.BackColor));
    return out.empty() ? out : out + " ";
}

std::string RtfBuilder::Build(const std::wstring& text, const std::vector<unsigned char>& classes) const {
    std::string out = header_;
    out.reserve(header_.size() + text.size() * 2);
    int current = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        const int styleClass = i < classes.size() ? static_cast<int>(classes[i]) : static_cast<int>(kDefault);
        if (styleClass != current) {
            out += Effects(current, styleClass);
            current = styleClass;
        }
        AppendEscaped(out, text[i]);
    }
    return out + "}";
}

} // namespace editor
