#pragma once
// CDialog: a dialog box from a dialog resource, modeless (Create) or modal (DoModal).
// Messages arrive in WindowProc like any CWindow; returning 0 from the default leaves
// a message to the dialog manager. Modeless dialogs get IsDialogMessage through
// PreTranslateMessage, so the application's message loop gives them keyboard
// navigation. A modal dialog ends on IDOK/IDCANCEL unless OnCommand takes them.
#include "framework/Window.h"

class CDialog : public CWindow {
public:
    bool Create(UINT resourceId, HWND parent);
    INT_PTR DoModal(UINT resourceId, HWND parent);
    void EndDialog(INT_PTR result);
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    bool PreTranslateMessage(MSG* msg) override;

protected:
    virtual bool OnInitDialog() { return true; }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    bool modal_ = false;
};
