#pragma once
// CMardelView: the view of a script document, a rich edit control with the editor
// component CSyntaxEditor attached (colouring, margin with line numbers and markers,
// keys, find and replace). It ties the editor to the script host:
//   - read-only while a script runs (checked at every filtered key or click, and before
//     every edit the editor or an edit command makes);
//   - breakpoint markers: one text-range anchor per breakpoint of its file, which moves
//     with the text; the record's line (and character position) follow the anchor;
//   - Toggle Breakpoint (command 32782, F9 through the frame's accelerators);
//   - update hints: 0 = breakpoints changed (reload anchors and markers),
//     1 = current position changed (current-line marker from the host's position);
//   - ShowLine for the frame's show-position requests.
//
// Wiring, done once by the application before the first view is created:
//     CMardelView::SetScriptHost(&scriptHost);
// Breakpoint changes made in a view are announced through the host's application
// (HostApplication::RefreshBreakpointViews), which refreshes every script view and the
// Breakpoints pane. Without a host the view is a plain script editor.
//
// The view reflects its control's WM_NOTIFY notifications itself (it subclasses its
// parent frame for them), so a child frame must not forward WM_NOTIFY to it; WM_COMMAND
// notifications arrive through CView::OnReflectedCommand as usual.
#include "editor/CSyntaxEditor.h"
#include "editor/RunStateFollower.h"
#include "framework/RichEditView.h"
#include <wrl/client.h>
#include <tom.h>
#include <memory>
#include <string>
#include <vector>

namespace host {
class ScriptHost;
}
class CMardelDoc;

class CMardelView : public CRichEditView {
public:
    static constexpr UINT kToggleBreakpointCommand = 32782;
    static constexpr UINT kFindCommand = 32786;
    static constexpr UINT kReplaceCommand = 32787;
    // Alt+Enter: the script's properties.
    static constexpr UINT kPropertiesCommand = 0xE20D;
    // Update hints.
    static constexpr LPARAM kHintBreakpoints = 0;
    static constexpr LPARAM kHintCurrentPosition = 1;
    // Print margins in twips (half an inch on every side).
    static constexpr int kPrintMargin = 720;

    static void SetScriptHost(host::ScriptHost* host);
    static host::ScriptHost* scriptHost();

    CMardelView();
    ~CMardelView() override;

    bool Create(CMDIChildWnd* parent, CDocument* document) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint) override;
    bool OnReflectedCommand(UINT code) override;
    // No edit while a script runs, whatever the control's state of the moment.
    bool TextLocked() const override;

    // Makes the 1-based line visible (with five lines of context when it has to scroll)
    // and, with markFrame, marks it as the selected call-stack frame.
    void ShowLine(int line1Based, bool markFrame);
    // Adds or removes the breakpoint on the caret's line.
    void ToggleBreakpoint();
    // Rebuilds the anchors from the host's breakpoint list and gives the editor the markers.
    void RefreshBreakpointMarkers();
    // Forgets the anchors without touching the records (the text is about to be replaced).
    void DropBreakpointAnchors() { anchors_.clear(); }
    // Brings the records' lines up to their anchors; true when any record changed.
    bool SynchronizeBreakpointLines();
    // What Alt+Enter shows of the script: its file, language, lines, characters,
    // breakpoints, whether it has unsaved changes, and the file's size and time on disk.
    std::wstring PropertiesText() const;
    // Language from the path's extension, then everything is coloured again.
    void OnPathChanged(const std::wstring& path);

    CMardelDoc* mardelDoc() const;
    editor::CSyntaxEditor& syntaxEditor() { return *editor_; }
    const editor::CSyntaxEditor& syntaxEditor() const { return *editor_; }
    Microsoft::WRL::ComPtr<ITextDocument> textDocument() const { return textDocument_; }
    const RECT& printMargins() const { return printMargins_; }
    RECT PrintMargins() const override { return printMargins_; }
    size_t anchorCount() const { return anchors_.size(); }

    // The control's notifications (WM_NOTIFY) as the parent frame received them.
    bool OnEditNotify(NMHDR* header, LRESULT* result);

protected:
    DWORD EditStyle() const override;
    void OnTextChanged() override;
    // Printed pages show every line in its colours, not only the lines seen so far.
    void OnPreparePrinting() override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;

private:
    // A breakpoint of this view's file: a degenerate range at its position and the
    // record it stands for. The record is found again by index and checked against the
    // file and line last seen, so a list changed elsewhere is noticed, never misread.
    struct Anchor {
        Microsoft::WRL::ComPtr<ITextRange> range;
        size_t index;
        std::string file;
        int line;
    };
    class HostRunState : public editor::IScriptRunState {
    public:
        bool IsScriptRunning() const override;
    };

    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
    void UpdateTitle();
    void ShowCurrentPosition();
    void GiveMarkersToEditor();
    void AnnounceBreakpointChange();

    std::unique_ptr<editor::CSyntaxEditor> editor_;
    Microsoft::WRL::ComPtr<ITextDocument> textDocument_;
    std::vector<Anchor> anchors_;
    RECT printMargins_{kPrintMargin, kPrintMargin, kPrintMargin, kPrintMargin};
    HWND subclassedParent_ = nullptr;
    HostRunState runState_;
    bool synchronizing_ = false;
};
