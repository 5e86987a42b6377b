#pragma once
#include <windows.h>
#include <commctrl.h>
#include <tom.h>
#include <map>
#include <string>

namespace editor {

// Draws one line of the editor's margin: data, the margin's device context, the 1-based
// line, the line's rectangle in the margin, the marker images and the frame line.
using MarginDrawCallback = void (*)(void* data, HDC dc, int line, const RECT& rect, HIMAGELIST images,
                                    int frameLine);

// Marker image indices of the "IDB_STACKIMAGESLIST" bitmap.
enum MarkerImage : int {
    kCurrentLineImage = 1,
    kEnabledBreakpointImage = 2,
    kDisabledBreakpointImage = 3,
    kFrameImage = 4,
};

// The editor component of a script view: syntax colouring, margin, keys, find and replace
// on an attached rich edit control.
class ISyntaxEditor {
public:
    virtual ~ISyntaxEditor() = default;
    virtual HRESULT Attach(HWND window, const std::wstring& languagesName, const std::wstring& stylesName,
                           MarginDrawCallback drawCallback, void* callbackData) = 0;
    virtual void SetLanguageByExtension(const std::wstring& extension) = 0;
    virtual HRESULT GetTextDocument(ITextDocument** document) = 0;
    virtual HRESULT ColorAll() = 0;
    virtual HRESULT ColorVisible() = 0;
    virtual HRESULT RecolorVisible() = 0;
    virtual HRESULT ColorRange(long start, long end) = 0;
    virtual void ForgetColored(long start, long end) = 0;
    // Notifications the host window receives from the control (WM_NOTIFY). True when the
    // notification was handled; *result is then what the host returns.
    virtual bool OnNotify(UINT code, NMHDR* header, LRESULT* result) = 0;
    // Messages of the control and the WM_COMMAND notifications the host receives from it.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) = 0;
    // 1-based line -> enabled.
    virtual void SetBreakpoints(const std::map<int, bool>& breakpoints) = 0;
    virtual void SetCurrentLine(int line) = 0;
    virtual void SetFrameLine(int line) = 0;
};

} // namespace editor
