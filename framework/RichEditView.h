#pragma once
// CRichEditView: a view that is a rich edit 2.0 control (class RICHEDIT20W from
// riched20.dll), multi-line with both scroll bars. It handles the edit commands
// (cut, copy, paste, undo, select all) with their enabling, and marks its document
// modified when the text changes. Editor components may subclass the control further.
#include "framework/View.h"
#include <string>

class CRichEditView : public CView {
public:
    CRichEditView();
    bool Create(CMDIChildWnd* parent, CDocument* document) override;
    HWND richEdit() const { return hwnd_; }
    std::wstring GetWindowTextW() const { return GetText(); }
    void SetWindowTextW(const std::wstring& text);
    bool OnReflectedCommand(UINT code) override;
    void OnUpdate(CView*, LPARAM) override {}

protected:
    virtual DWORD EditStyle() const;
    bool HasSelection() const;
};
