#pragma once
// CPrintPreview: the pages of a rich edit view as they will print, in a window of their
// own, one or two at a time (the profile's "Settings\PreviewPages"). The pages are taken
// when the preview opens; later edits show in the next preview. Buttons (and keys):
// Print (P), Next Page (N, Page Down), Prev Page (V, Page Up), One Page / Two Page
// (O, T), Close (C, Escape). Print closes the preview and prints the view it shows.
//     CPrintPreview::Open(view);
#include "framework/Window.h"
#include "common/GdiOwners.h"
#include <memory>

class CPrintedPages;
class CRichEditView;

class CPrintPreview : public CWindow {
public:
    // Button ids.
    static constexpr UINT kPrint = 1, kNext = 2, kPrevious = 3, kPageCount = 4, kClose = 5;

    // Opens the preview of view's text, closing any other preview first; null when the
    // pages cannot be laid out.
    static CPrintPreview* Open(CRichEditView* view);
    // The preview open now, if any.
    static CPrintPreview* Current();

    int PageCount() const;
    int FirstPage() const { return first_; }
    int PagesShown() const { return shown_; }
    // Shows page (0-based) first, within the document.
    void ShowPage(int page);
    void SetPagesShown(int count);
    // Draws page into a bitmap of the page at screen resolution.
    common::UniqueGdiObject RenderPage(int page) const;

protected:
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnPaint() override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CPrintPreview() = default;
    bool Prepare(CRichEditView* view);
    void UpdateButtons();
    RECT PageRect(int slot, const RECT& area) const;

    HWND view_ = nullptr;   // the rich edit shown, for Print
    HWND frame_ = nullptr;  // its top-level window
    SIZE pagePixels_{};
    common::MemoryDc pageDc_;
    std::unique_ptr<CPrintedPages> pages_;
    int first_ = 0;
    int shown_ = 1;
    HWND buttons_[5] = {};
};
