#include "debugger/DebugPane.h"
#include "host/ScriptHost.h"

namespace debugger {

bool DebugPane::OnInitDialog() {
    CAnchorDialog::OnInitDialog();
    SetAnchor(controlId_, ANCHOR_ALL);
    InitContent();
    return true;
}

bool DebugPane::InBreakState() const { return host_.running() && host_.atBreak(); }

namespace {
const WPARAM kDeferredRefresh = 3;
}

void DebugPane::PostDeferredRefresh() {
    if (refreshPosted_ || !hwnd_) return;
    refreshPosted_ = ::PostMessageW(hwnd_, WM_PANE_DEFERRED, kDeferredRefresh, 0) != FALSE;
}

LRESULT DebugPane::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PANE_DEFERRED && wParam == kDeferredRefresh) {
        refreshPosted_ = false;
        if (onDeferredRefresh_) onDeferredRefresh_();
        return TRUE;
    }
    return CAnchorDialog::WindowProc(msg, wParam, lParam);
}

} // namespace debugger
