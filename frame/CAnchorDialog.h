#pragma once
// CAnchorDialog: a dialog whose controls follow its size.
//
// At initialisation it remembers its size from the dialog resource as its minimum
// tracking size and the rectangle of every child control, each with anchor flags
// (default left+top). On resize, per axis, a control anchored to both edges stretches
// by the change of the far edge, one anchored to the far edge only moves by it, one
// anchored to the near edge only stays. It erases only the background outside its
// children (no flicker) and owns a tooltip control with one text per control.
//     class CResultsDialog : public CAnchorDialog { bool OnInitDialog() override {
//         CAnchorDialog::OnInitDialog(); SetAnchor(1020, ANCHOR_ALL); return true; } };
#include "framework/Dialog.h"
#include <map>
#include <string>

enum AnchorFlags { ANCHOR_LEFT = 1, ANCHOR_RIGHT = 2, ANCHOR_TOP = 4, ANCHOR_BOTTOM = 8, ANCHOR_ALL = 15 };

class CAnchorDialog : public CDialog {
public:
    void SetAnchor(int controlId, int flags);
    int GetAnchor(int controlId) const;
    void AddTooltip(int controlId, const std::wstring& text);
    HWND tooltip() const { return tooltip_; }
    SIZE minimumSize() const { return minimum_; }
    bool PreTranslateMessage(MSG* msg) override;

    // Where a control with `flags`, at `initial` in a dialog of the initial size, goes
    // when the client area has grown by (dx, dy).
    static RECT AnchoredRect(const RECT& initial, int flags, int dx, int dy);

protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;

private:
    struct Anchor { int flags; RECT initial; };
    void Capture();
    std::map<int, Anchor> anchors_;
    SIZE minimum_{};
    SIZE initialClient_{};
    HWND tooltip_ = nullptr;
    bool captured_ = false;
};
