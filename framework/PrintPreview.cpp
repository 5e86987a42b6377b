#include "framework/PrintPreview.h"
#include "framework/Application.h"
#include "framework/FrameworkIds.h"
#include "framework/PrintedPages.h"
#include "framework/RichEditView.h"
#include <algorithm>
#include <cwchar>

namespace {

CPrintPreview* g_current = nullptr;

const int kBarHeight = 34;
const int kGap = 16;  // around and between the pages, in pixels
const wchar_t* const kButtonTexts[] = {L"&Print...", L"&Next Page", L"Pre&v Page", L"", L"&Close"};

// The paper: the default printer's when there is one, else US Letter.
SIZE PaperTwips() {
    PRINTDLGW query{};
    query.lStructSize = sizeof(query);
    query.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    SIZE paper{12240, 15840};
    if (::PrintDlgW(&query) && query.hDC) {
        const int dpiX = std::max(1, ::GetDeviceCaps(query.hDC, LOGPIXELSX));
        const int dpiY = std::max(1, ::GetDeviceCaps(query.hDC, LOGPIXELSY));
        const int w = ::GetDeviceCaps(query.hDC, PHYSICALWIDTH), h = ::GetDeviceCaps(query.hDC, PHYSICALHEIGHT);
        if (w > 0 && h > 0) paper = SIZE{::MulDiv(w, 1440, dpiX), ::MulDiv(h, 1440, dpiY)};
        ::DeleteDC(query.hDC);
    }
    if (query.hDevMode) ::GlobalFree(query.hDevMode);
    if (query.hDevNames) ::GlobalFree(query.hDevNames);
    return paper;
}

} // namespace

CPrintPreview* CPrintPreview::Current() { return g_current; }

CPrintPreview* CPrintPreview::Open(CRichEditView* view) {
    if (!view || !view->richEdit()) return nullptr;
    if (g_current) g_current->DestroyWindow();
    auto* preview = new CPrintPreview;
    if (!preview->Prepare(view)) {
        delete preview;
        return nullptr;
    }
    const HWND owner = ::GetAncestor(view->richEdit(), GA_ROOT);
    preview->frame_ = owner;
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const wchar_t* className = RegisterClass(L"TevrinPrintPreview", CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                             ::GetSysColorBrush(COLOR_APPWORKSPACE));
    preview->deleteOnDestroy = true;
    if (!preview->CreateEx(0, className, L"Print Preview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, work.left + 40,
                           work.top + 20, std::max(400L, (work.right - work.left) - 80),
                           std::max(300L, (work.bottom - work.top) - 40), owner, nullptr)) {
        delete preview;
        return nullptr;
    }
    g_current = preview;
    ::ShowWindow(preview->hwnd(), SW_SHOW);
    ::SetFocus(preview->hwnd());
    return preview;
}

bool CPrintPreview::Prepare(CRichEditView* view) {
    view_ = view->richEdit();
    const common::WindowDc screen(nullptr);
    pageDc_.reset(::CreateCompatibleDC(screen.get()));
    if (!pageDc_) return false;
    const SIZE paper = PaperTwips();
    pagePixels_ = SIZE{::MulDiv(paper.cx, ::GetDeviceCaps(pageDc_.get(), LOGPIXELSX), 1440),
                       ::MulDiv(paper.cy, ::GetDeviceCaps(pageDc_.get(), LOGPIXELSY), 1440)};
    pages_ = view->PreparePages(pageDc_.get(), paper);
    if (!pages_ || pages_->PageCount() < 1) return false;
    CApplication* app = CApplication::Get();
    shown_ = app && app->previewPages() == 2 ? 2 : 1;
    return true;
}

int CPrintPreview::PageCount() const { return pages_ ? pages_->PageCount() : 0; }

common::UniqueGdiObject CPrintPreview::RenderPage(int page) const {
    const common::WindowDc screen(nullptr);
    common::UniqueGdiObject bitmap(::CreateCompatibleBitmap(screen.get(), pagePixels_.cx, pagePixels_.cy));
    if (!bitmap || !pages_) return bitmap;
    const common::SelectedObject selected(pageDc_.get(), bitmap.get());
    const RECT paper{0, 0, pagePixels_.cx, pagePixels_.cy};
    ::FillRect(pageDc_.get(), &paper, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    pages_->DrawPage(page);
    return bitmap;
}

int CPrintPreview::OnCreate(CREATESTRUCTW*) {
    const HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    for (UINT i = 0; i < 5; ++i) {
        buttons_[i] = ::CreateWindowExW(0, L"BUTTON", kButtonTexts[i], WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0,
                                        0, hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kPrint + i)), nullptr,
                                        nullptr);
        ::SendMessageW(buttons_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    UpdateButtons();
    return 0;
}

void CPrintPreview::OnSize(UINT, int, int) {
    int x = 8;
    for (HWND button : buttons_) {
        ::MoveWindow(button, x, 5, 96, kBarHeight - 10, TRUE);
        x += 102;
    }
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void CPrintPreview::UpdateButtons() {
    const int count = PageCount();
    ::EnableWindow(buttons_[kNext - 1], first_ + shown_ < count);
    ::EnableWindow(buttons_[kPrevious - 1], first_ > 0);
    ::SetWindowTextW(buttons_[kPageCount - 1], shown_ == 2 ? L"&One Page" : L"&Two Page");
    wchar_t title[128];
    if (shown_ == 2 && first_ + 1 < count)
        std::swprintf(title, 128, L"Print Preview - Pages %d-%d of %d", first_ + 1, first_ + 2, count);
    else
        std::swprintf(title, 128, L"Print Preview - Page %d of %d", first_ + 1, count);
    SetText(title);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void CPrintPreview::ShowPage(int page) {
    first_ = std::max(0, std::min(page, PageCount() - 1));
    UpdateButtons();
}

void CPrintPreview::SetPagesShown(int count) {
    shown_ = count == 2 ? 2 : 1;
    if (CApplication* app = CApplication::Get()) app->SetPreviewPages(shown_);
    UpdateButtons();
}

bool CPrintPreview::OnCommand(UINT id, UINT, HWND) {
    switch (id) {
    case kPrint: {
        const HWND frame = frame_;
        DestroyWindow();
        // The frame routes it to the active view: the one previewed, unless the user
        // switched meanwhile, and then the one in front of them.
        if (::IsWindow(frame)) ::PostMessageW(frame, WM_COMMAND, ID_FILE_PRINT, 0);
        return true;
    }
    case kNext:
        ShowPage(first_ + shown_);
        break;
    case kPrevious:
        ShowPage(first_ - shown_);
        break;
    case kPageCount:
        SetPagesShown(shown_ == 2 ? 1 : 2);
        break;
    case kClose:
        DestroyWindow();
        return true;
    default:
        return false;
    }
    ::SetFocus(hwnd_);
    return true;
}

RECT CPrintPreview::PageRect(int slot, const RECT& area) const {
    // The pages keep their proportions and fill the height (or their share of the width).
    const int width = area.right - area.left - kGap * (shown_ + 1);
    const int height = area.bottom - area.top - 2 * kGap;
    int h = height;
    int w = ::MulDiv(h, pagePixels_.cx, std::max<LONG>(1, pagePixels_.cy));
    if (w * shown_ > width) {
        w = std::max(1, width / shown_);
        h = ::MulDiv(w, pagePixels_.cy, std::max<LONG>(1, pagePixels_.cx));
    }
    const int left = area.left + (area.right - area.left - (w * shown_ + kGap * (shown_ - 1))) / 2;
    const int top = area.top + kGap;
    const int x = left + slot * (w + kGap);
    return RECT{x, top, x + w, top + h};
}

void CPrintPreview::OnPaint() {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(hwnd_, &paint);
    RECT area = ClientRect();
    area.top += kBarHeight;
    ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    const HDC source = ::CreateCompatibleDC(dc);
    for (int slot = 0; slot < shown_ && first_ + slot < PageCount(); ++slot) {
        const RECT target = PageRect(slot, area);
        if (target.right - target.left < 2 || target.bottom - target.top < 2) continue;
        RECT shadow = target;
        ::OffsetRect(&shadow, 3, 3);
        ::FillRect(dc, &shadow, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        const common::UniqueGdiObject page = RenderPage(first_ + slot);
        if (!page || !source) continue;
        const HGDIOBJ old = ::SelectObject(source, page.get());
        ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::StretchBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, source, 0, 0,
                     pagePixels_.cx, pagePixels_.cy, SRCCOPY);
        ::SelectObject(source, old);
        ::FrameRect(dc, &target, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    if (source) ::DeleteDC(source);
    ::EndPaint(hwnd_, &paint);
}

LRESULT CPrintPreview::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
        // The keys of the buttons' underlined letters work with or without Alt.
        UINT command = 0;
        switch (wParam) {
        case VK_NEXT: case 'N': command = kNext; break;
        case VK_PRIOR: case 'V': command = kPrevious; break;
        case 'T': case 'O': command = kPageCount; break;
        case VK_ESCAPE: case 'C': command = kClose; break;
        case 'P': command = kPrint; break;
        default: break;
        }
        if (command) {
            OnCommand(command, 0, nullptr);
            return 0;
        }
    } else if (msg == WM_MOUSEWHEEL) {
        OnCommand(GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? kNext : kPrevious, 0, nullptr);
        return 0;
    }
    return CWindow::WindowProc(msg, wParam, lParam);
}

void CPrintPreview::OnDestroy() {
    if (g_current == this) g_current = nullptr;
    // The user goes back to the script.
    if (::IsWindow(view_)) ::SetFocus(view_);
}
