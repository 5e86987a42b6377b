#pragma once
// CPrintedPages: the text of a rich edit control laid out on the pages of a device: the
// control's own lines (a line wider than the page is cut at the margin), in the font of
// its text, every character in its own colour, weight and slant. The control's own page
// layout (EM_FORMATRANGE) is not used: some platforms leave it unimplemented.
//     CPrintedPages pages(richEdit, printerDc, pageTwips, marginsTwips);
//     for (int i = 0; i < pages.PageCount(); ++i) { StartPage(dc); pages.DrawPage(i); EndPage(dc); }
#include <windows.h>
#include <string>
#include <vector>

class CPrintedPages {
public:
    // pageTwips: the paper; marginsTwips: the distance of the text from each edge.
    CPrintedPages(HWND richEdit, HDC dc, SIZE pageTwips, const RECT& marginsTwips);
    ~CPrintedPages();
    CPrintedPages(const CPrintedPages&) = delete;
    CPrintedPages& operator=(const CPrintedPages&) = delete;

    // At least one page, also for an empty text; none when the margins leave no room.
    int PageCount() const;
    int LinesPerPage() const { return linesPerPage_; }
    void DrawPage(int page) const;

private:
    struct Run {
        std::wstring text;
        COLORREF color;
        bool bold, italic;
    };
    using Line = std::vector<Run>;
    void ReadText(HWND richEdit);
    HFONT FontFor(bool bold, bool italic) const { return fonts_[(bold ? 1 : 0) + (italic ? 2 : 0)]; }

    HDC dc_;
    RECT area_{};  // device units
    std::vector<Line> lines_;
    std::wstring face_ = L"Courier New";
    float points_ = 10.0f;
    HFONT fonts_[4] = {};
    int lineHeight_ = 1;
    int linesPerPage_ = 0;
    int tabWidth_ = 1;
};
