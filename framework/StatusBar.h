#pragma once
// CStatusBar: the frame's status bar, always below everything else. The first
// indicator (ID_SEPARATOR) is the message pane that shows command prompts; the
// ID_INDICATOR_CAPS/NUM/SCRL indicators show "CAP", "NUM", "SCRL" while the key is on:
//     status.Create(frame, IDW_STATUS_BAR);
//     status.SetIndicators({ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL});
#include "framework/ControlBar.h"
#include <initializer_list>
#include <vector>

class CStatusBar : public CControlBar {
public:
    bool Create(CMDIFrameWnd* frame, UINT id);
    bool SetIndicators(std::initializer_list<UINT> ids) { return SetIndicators(std::vector<UINT>(ids)); }
    bool SetIndicators(const std::vector<UINT>& ids);
    void SetPaneText(int index, const std::wstring& text);
    std::wstring GetPaneText(int index) const;
    // Refreshes the key indicators (called at idle).
    void UpdateIndicators();
    HWND statusbar() const { return status_; }

    SIZE CalcFixedLayout(bool horz) override;

protected:
    void OnSize(UINT, int cx, int cy) override;

private:
    void LayoutParts(int width);
    HWND status_ = nullptr;
    std::vector<UINT> indicators_;
    std::vector<int> widths_;
};
