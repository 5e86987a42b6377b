#pragma once
// CDockPane: a resizable docking control bar hosting one content dialog.
//
// The bar keeps a horizontal size (docked top/bottom), a vertical size (docked
// left/right) and a floating size, each with a minimum, all derived from the content
// dialog's resource size. The edge that borders the frame's client area (and the far
// end of a bar that is not the last in its row) is dragged to resize: live when full
// window dragging is on, with a halftone tracking bar otherwise. Sizes persist with
// SaveState/LoadState in the profile section "<profile name>-Pane-<bar id>".
//     pane.Create(L"Call Stack", frame, &callStackDialog, 132);
//     pane.EnableDocking(DOCK_ANY); frame->DockControlBar(&pane, IDW_DOCKBAR_BOTTOM);
//     pane.LoadState(L"CallStack");
#include "framework/ControlBar.h"
#include "framework/FrameworkIds.h"
#include <string>
#include <utility>
#include <vector>

class CDialog;
class CProfile;

class CDockPane : public CControlBar {
public:
    // Creates the bar and the content dialog (dialog resource `barId`) inside it.
    virtual bool Create(const wchar_t* title, CMDIFrameWnd* frame, CDialog* content, UINT barId,
                        DWORD style = WS_CHILD | WS_VISIBLE);
    CDialog* content() const { return content_; }

    SIZE sizeHorz() const { return sizeHorz_; }
    SIZE sizeVert() const { return sizeVert_; }
    SIZE sizeFloat() const { return sizeFloat_; }
    SIZE minHorz() const { return minHorz_; }
    SIZE minVert() const { return minVert_; }
    SIZE minFloat() const { return minFloat_; }
    // Sets a size, raised to the minimum, and lays the frame out again.
    void SetSizeHorz(SIZE size);
    void SetSizeVert(SIZE size);
    void SetSizeFloat(SIZE size);

    bool dragFullWindows() const { return dragFullWindows_; }
    void SetDragFullWindows(bool on) { dragFullWindows_ = on; }
    bool IsTracking() const { return tracking_; }

    // Profile section name of this bar.
    std::wstring SectionName(const wchar_t* profileName) const;
    // With no profile given, the application's.
    void LoadState(const wchar_t* profileName, const CProfile* profile = nullptr);
    // Also saves where the pane is (framework/BarPlaces.h); LoadBarPlaces puts it back.
    void SaveState(const wchar_t* profileName, const CProfile* profile = nullptr) const;

    SIZE CalcFixedLayout(bool horz) override { return horz ? sizeHorz_ : sizeVert_; }
    SIZE MinimumSize(bool horz) override { return horz ? minHorz_ : minVert_; }
    SIZE FloatSize() override { return sizeFloat_; }
    SIZE MinimumFloatSize() override { return minFloat_; }
    void OnLayoutSize(SIZE size, bool floating) override;
    bool IsStretchable() const override { return true; }
    void OnDockSideChanged() override;

    // Which sizing edge lies under a screen point: HTTOP/HTBOTTOM/HTLEFT/HTRIGHT or 0.
    UINT SizingEdgeAt(POINT screen) const;

    static const int kEdge = 5;
    static const int kCaption = 12;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int cx, int cy) override;
    // Non-client layout: the insets of the client area inside the window.
    virtual RECT NcInsets() const;
    virtual void NcPaint(HDC dc, const RECT& window);
    virtual UINT NcHitTest(POINT screen);
    bool IsHorzDocked() const { return IsHorzSide(dockSide_); }

    CDialog* content_ = nullptr;
    SIZE sizeHorz_{200, 200}, sizeVert_{200, 200}, sizeFloat_{200, 200};
    SIZE minHorz_{33, 32}, minVert_{33, 32}, minFloat_{37, 32};

private:
    void StartTracking(UINT edge, POINT screen);
    void TrackTo(POINT screen);
    void StopTracking(bool apply);
    void ApplyTrack(int delta);
    RECT TrackerRect(int delta) const;
    void DrawTracker(const RECT& screenRect);
    bool IsLastInRow() const;
    int MaxSplitterLength() const;

    bool dragFullWindows_ = true;
    bool tracking_ = false;
    UINT trackEdge_ = 0;
    POINT trackStart_{};
    SIZE trackStartSize_{};
    int trackDelta_ = 0;
    RECT trackerShown_{};
    bool trackerVisible_ = false;
};
