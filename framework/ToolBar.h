#pragma once
// CToolBar: a flat toolbar with a gripper, tooltips and fly-by help, dockable like any
// control bar. Buttons are command ids (ID_SEPARATOR for a gap); images come from a
// normal and a hot image list of one strip bitmap each:
//     bar.Create(frame, IDW_TOOLBAR);
//     bar.SetButtons({ID_FILE_NEW, ID_FILE_OPEN, ID_SEPARATOR, ID_HELP});
//     bar.SetImageLists(CToolBar::LoadImageList(143, 20, RGB(255,255,255)),
//                       CToolBar::LoadImageList(144, 20, RGB(255,128,64)));
// Tooltips are the part after '\n' of the string resource with the command's id; the
// frame updates the buttons' enabled and checked state at idle.
#include "framework/ControlBar.h"
#include <commctrl.h>
#include <initializer_list>
#include <vector>

class CToolBar : public CControlBar {
public:
    ~CToolBar() override;
    bool Create(CMDIFrameWnd* frame, UINT id, const wchar_t* title = L"Toolbar");
    void SetButtons(std::initializer_list<UINT> ids) { SetButtons(std::vector<UINT>(ids)); }
    void SetButtons(const std::vector<UINT>& ids);
    // The toolbar takes ownership of both lists.
    void SetImageLists(HIMAGELIST normal, HIMAGELIST hot);
    // A masked image list (ILC_COLORDDB | ILC_MASK) from a bitmap strip of square images.
    static HIMAGELIST LoadImageList(UINT bitmapId, int imageSize, COLORREF mask);

    HWND toolbar() const { return toolbar_; }
    const std::vector<UINT>& buttons() const { return buttons_; }
    bool IsButtonEnabled(UINT id) const;
    bool IsButtonChecked(UINT id) const;
    // Presses a button as a click would (tests, keyboard users).
    void ClickButton(UINT id);

    SIZE CalcFixedLayout(bool horz) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT, int cx, int cy) override;
    bool OnNotify(NMHDR* hdr, LRESULT* result) override;

private:
    static const int kGripper = 8;
    HWND toolbar_ = nullptr;
    HIMAGELIST normal_ = nullptr;
    HIMAGELIST hot_ = nullptr;
    std::vector<UINT> buttons_;
    std::wstring tip_;
};

