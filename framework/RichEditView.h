#pragma once
// CRichEditView: a view that is a rich edit 2.0 control (class RICHEDIT20W from
// riched20.dll), multi-line with both scroll bars. It handles the edit commands
// (cut, copy, paste, undo, select all) with their enabling, and marks its document
// modified when the text changes. Editor components may subclass the control further.
//
// Several views of one document (Window > New Window) show one text: a new view takes
// the text of the others, and every change made in one view is made in the others
// (CRichEditDoc::OnViewTextChanged), so any view's text is the document's.
#include "framework/View.h"
#include <memory>
#include <string>

class CPrintedPages;

class CRichEditView : public CView {
public:
    CRichEditView();
    bool Create(CMDIChildWnd* parent, CDocument* document) override;
    HWND richEdit() const { return hwnd_; }
    std::wstring GetWindowTextW() const { return GetText(); }
    void SetWindowTextW(const std::wstring& text);
    bool OnReflectedCommand(UINT code) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView*, LPARAM) override {}

    // The control's text with paragraph marks as single carriage returns, so that an
    // index into it is a character position of the control.
    std::wstring ControlText() const;
    // Replaces the characters [start, end) with text because another view of the
    // document changed them: the selection and scroll position stay where the user left
    // them, and a read-only state (a running script) does not refuse it.
    void TakeChange(long start, long end, const std::wstring& text);
    // True when the user may not change the text now (edit commands do nothing).
    virtual bool TextLocked() const;

    // Print (ID_FILE_PRINT): the print dialog, then every page on the printer chosen.
    void Print();
    // Lays the text out in pages of pageTwips on dc, inside the print margins, and
    // returns their number; draws page drawPage (0-based) when it is one of them, or
    // every page, each between StartPage and EndPage, when printing.
    int LayOutPages(HDC dc, SIZE pageTwips, int drawPage, bool printing = false);
    // The text laid out in pages of pageTwips on dc, prepared as for printing: what a
    // print preview shows. Null without a control.
    std::unique_ptr<CPrintedPages> PreparePages(HDC dc, SIZE pageTwips);
    // Margins of the printed page, in twips.
    virtual RECT PrintMargins() const { return RECT{720, 720, 720, 720}; }

protected:
    virtual DWORD EditStyle() const;
    // Before the text is laid out for printing (a derived view colours all of it).
    virtual void OnPreparePrinting() {}
    // The user changed the text of this view (not a change taken from another view).
    virtual void OnTextChanged();
    // A new window onto a document that has other views starts with their text.
    void TakeTextOfOtherViews();
    bool HasSelection() const;
};
