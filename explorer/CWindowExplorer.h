#pragma once
// CWindowExplorer: the modeless spy tool. The user drags the finder icon over another
// application; the tool shows that application's windows ("Wnd" tab) or accessible
// objects ("Acc" tab) as a tree, the properties of the object under the cursor, an
// outline around it on the screen, and the dotted path of role-property calls that
// leads to the selected accessible object.
//
// Created hidden with the main frame; showing it hides the frame, closing it shows the
// frame again. The tree is built when the finder reaches a new application and on
// Refresh, tab, "Use MSAA" and "Show Invisible Items" changes, never by itself.
#include "common/Variant.h"
#include "common/Oleacc.h"
#include "frame/CAnchorDialog.h"
#include <commctrl.h>
#include <oleacc.h>
#include <wrl/client.h>
#include <map>
#include <string>
#include <vector>

namespace explorer {

// What a tree item stands for: a window {handle, 0, 0, 0, 0}, or an accessible object
// {its window, its screen rectangle}. Items are found again by equality of all five.
struct ItemKey {
    HWND window = nullptr;
    LONG left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ItemKey& o) const {
        return window == o.window && left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const ItemKey& o) const { return !(*this == o); }
};

class CWindowExplorer : public CAnchorDialog {
public:
    // `frame` is shown again when the explorer closes; it may be null.
    CWindowExplorer(HWND frame, common::Oleacc oleacc);
    ~CWindowExplorer() override;

    // Creates the dialog (resource 102), hidden; it is destroyed with the frame.
    bool Create();

    // The frame hides and the explorer shows, or the other way round. Returns whether the
    // explorer is visible afterwards.
    bool Toggle();

    // What the explorer shows (also read by the tests).
    HWND target() const { return target_; }
    const RECT& highlight() const { return highlight_; }
    bool dragging() const { return dragging_; }
    bool accessibleMode() const;
    // How many times the tree has been built.
    int builds() const { return builds_; }
    const ItemKey* KeyOf(HTREEITEM item) const;

    // The finder's drag, in screen coordinates (the mouse handlers call these).
    void BeginDrag();
    void DragTo(POINT screen);
    void EndDrag();

    // Rebuilds the tree of the target's process.
    void BuildTree();

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(NMHDR* hdr, LRESULT* result) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

private:
    void Close();
    void Inspect(HWND window, POINT screen, bool select);
    bool InspectAccessible(HWND window, POINT screen, bool select);
    bool HitTest(HWND window, POINT screen, Microsoft::WRL::ComPtr<IAccessible>& object, common::Variant& child) const;
    void FillFromAccessible(IAccessible* object, const VARIANT& child, HWND window);
    void FillFromWindow(HWND window);
    void SetFields(const std::wstring& name, const std::wstring& role, const std::wstring& value,
                   const std::wstring& description, HWND window);
    void DrawHighlight(const RECT& rect);
    void EraseHighlight();
    void SelectKey(const ItemKey& key);
    void UpdatePath();
    void ReadCheckBoxes();
    void ApplyKeepOnTop();
    void DeleteAllItems();
    void RegisterFinderTooltip();

    HTREEITEM Insert(HTREEITEM parent, const std::wstring& text, const ItemKey& key);
    void AddWindow(HTREEITEM parent, HWND window, int depth);
    void AddAccessibleRoot(HWND window);
    void AddAccessibleChildren(HTREEITEM parent, IAccessible* object, int depth);
    ItemKey KeyOfAccessible(IAccessible* object, const VARIANT& child) const;
    HTREEITEM FindKey(HTREEITEM first, const ItemKey& key) const;

    static LRESULT CALLBACK FrameProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK FinderProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HWND frame_;
    common::Oleacc oleacc_;
    HWND tree_ = nullptr;
    HWND tabs_ = nullptr;
    HWND target_ = nullptr;
    bool useMsaa_ = false;
    bool keepOnTop_ = true;
    bool showInvisible_ = false;
    bool dragging_ = false;
    RECT highlight_{};
    std::map<HTREEITEM, ItemKey> keys_;
    int builds_ = 0;
    HCURSOR finderCursor_ = nullptr;
    HICON finderIcon_ = nullptr;
    HICON emptyFinderIcon_ = nullptr;
    std::vector<HBITMAP> bitmaps_;
};

} // namespace explorer
