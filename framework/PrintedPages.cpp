#include "framework/PrintedPages.h"
#include "common/Bstr.h"
#include <richedit.h>
#include <richole.h>
#include <tom.h>
#include <wrl/client.h>
#include <algorithm>
#include <cmath>

namespace {

// {8CC497C0-A1DF-11CE-8098-00AA0047BE5D}: MinGW's uuid library lacks it.
const IID kTextDocumentIid = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};
// A rich edit control's default tab stops: every half inch.
const int kTabTwips = 720;

int TwipsToPixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

} // namespace

CPrintedPages::CPrintedPages(HWND richEdit, HDC dc, SIZE pageTwips, const RECT& marginsTwips) : dc_(dc) {
    const int dpiX = std::max(1, ::GetDeviceCaps(dc, LOGPIXELSX));
    const int dpiY = std::max(1, ::GetDeviceCaps(dc, LOGPIXELSY));
    // A printer's device origin is the corner of its printable area, not of the paper.
    const int offsetX = ::GetDeviceCaps(dc, PHYSICALOFFSETX), offsetY = ::GetDeviceCaps(dc, PHYSICALOFFSETY);
    area_ = RECT{TwipsToPixels(marginsTwips.left, dpiX) - offsetX, TwipsToPixels(marginsTwips.top, dpiY) - offsetY,
                 TwipsToPixels(pageTwips.cx - marginsTwips.right, dpiX) - offsetX,
                 TwipsToPixels(pageTwips.cy - marginsTwips.bottom, dpiY) - offsetY};
    tabWidth_ = std::max(1, TwipsToPixels(kTabTwips, dpiX));
    ReadText(richEdit);

    const int height = -static_cast<int>(std::lround(points_ * dpiY / 72.0f));
    for (int i = 0; i < 4; ++i)
        fonts_[i] = ::CreateFontW(height, 0, 0, 0, (i & 1) ? FW_BOLD : FW_NORMAL, (i & 2) ? TRUE : FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  FIXED_PITCH | FF_MODERN, face_.c_str());
    TEXTMETRICW metrics{};
    const HGDIOBJ old = ::SelectObject(dc_, fonts_[0]);
    ::GetTextMetricsW(dc_, &metrics);
    ::SelectObject(dc_, old);
    lineHeight_ = std::max<int>(1, metrics.tmHeight + metrics.tmExternalLeading);
    if (area_.right > area_.left && area_.bottom > area_.top) linesPerPage_ = (area_.bottom - area_.top) / lineHeight_;
}

CPrintedPages::~CPrintedPages() {
    for (HFONT font : fonts_)
        if (font) ::DeleteObject(font);
}

void CPrintedPages::ReadText(HWND richEdit) {
    Microsoft::WRL::ComPtr<IRichEditOle> ole;
    Microsoft::WRL::ComPtr<ITextDocument> document;
    Microsoft::WRL::ComPtr<ITextRange> story;
    if (!::SendMessageW(richEdit, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.GetAddressOf())) || !ole ||
        FAILED(ole->QueryInterface(kTextDocumentIid, reinterpret_cast<void**>(document.GetAddressOf()))) ||
        FAILED(document->Range(0, 0, &story)) || !story)
        return;
    long length = 0;
    story->GetStoryLength(&length);
    common::Bstr all;
    if (FAILED(document->Range(0, length, &story)) || FAILED(story->GetText(all.put()))) return;
    const std::wstring text = all.str();

    // The text's font is the first character's.
    Microsoft::WRL::ComPtr<ITextRange> first;
    Microsoft::WRL::ComPtr<ITextFont> font;
    if (SUCCEEDED(document->Range(0, 1, &first)) && first && SUCCEEDED(first->GetFont(&font)) && font) {
        common::Bstr name;
        float size = 0;
        if (SUCCEEDED(font->GetName(name.put())) && !name.str().empty()) face_ = name.str();
        if (SUCCEEDED(font->GetSize(&size)) && size > 0) points_ = size;
    }

    lines_.emplace_back();
    for (long pos = 0; pos < static_cast<long>(text.size()); ++pos) {
        const wchar_t c = text[static_cast<size_t>(pos)];
        if (c == L'\r' || c == L'\n') {
            // The control's final paragraph mark ends the text, not a line of its own.
            if (pos + 1 < static_cast<long>(text.size())) lines_.emplace_back();
            continue;
        }
        COLORREF color = ::GetSysColor(COLOR_WINDOWTEXT);
        long bold = tomFalse, italic = tomFalse;
        Microsoft::WRL::ComPtr<ITextRange> character;
        Microsoft::WRL::ComPtr<ITextFont> format;
        if (SUCCEEDED(document->Range(pos, pos + 1, &character)) && character &&
            SUCCEEDED(character->GetFont(&format)) && format) {
            long fore = tomAutoColor;
            format->GetForeColor(&fore);
            if (fore != tomAutoColor && fore >= 0) color = static_cast<COLORREF>(fore);
            format->GetBold(&bold);
            format->GetItalic(&italic);
        }
        Line& line = lines_.back();
        if (line.empty() || line.back().color != color || line.back().bold != (bold == tomTrue) ||
            line.back().italic != (italic == tomTrue))
            line.push_back(Run{std::wstring(), color, bold == tomTrue, italic == tomTrue});
        line.back().text += c;
    }
}

int CPrintedPages::PageCount() const {
    if (linesPerPage_ <= 0) return 0;
    const int lines = static_cast<int>(lines_.size());
    return std::max(1, (lines + linesPerPage_ - 1) / linesPerPage_);
}

void CPrintedPages::DrawPage(int page) const {
    if (page < 0 || page >= PageCount()) return;
    const int saved = ::SaveDC(dc_);
    ::SetBkMode(dc_, TRANSPARENT);
    ::SetTextAlign(dc_, TA_LEFT | TA_TOP);
    const size_t first = static_cast<size_t>(page) * static_cast<size_t>(linesPerPage_);
    const size_t last = std::min(lines_.size(), first + static_cast<size_t>(linesPerPage_));
    int y = area_.top;
    for (size_t i = first; i < last; ++i, y += lineHeight_) {
        int x = area_.left;
        for (const Run& run : lines_[i]) {
            ::SelectObject(dc_, FontFor(run.bold, run.italic));
            ::SetTextColor(dc_, run.color);
            // Pieces between tabs; a tab moves to the next stop from the margin.
            size_t start = 0;
            while (start <= run.text.size()) {
                const size_t tab = run.text.find(L'\t', start);
                const size_t end = tab == std::wstring::npos ? run.text.size() : tab;
                if (end > start) {
                    const int count = static_cast<int>(end - start);
                    ::ExtTextOutW(dc_, x, y, ETO_CLIPPED, &area_, run.text.c_str() + start, static_cast<UINT>(count),
                                  nullptr);
                    SIZE extent{};
                    ::GetTextExtentPoint32W(dc_, run.text.c_str() + start, count, &extent);
                    x += extent.cx;
                }
                if (tab == std::wstring::npos) break;
                x = area_.left + ((x - area_.left) / tabWidth_ + 1) * tabWidth_;
                start = tab + 1;
            }
        }
    }
    ::RestoreDC(dc_, saved);
}
