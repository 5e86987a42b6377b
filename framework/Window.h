#pragma once
// CWindow: the C++ object behind one window.
//
// Windows of our own classes are created with CreateEx (the object is attached before
// the first message arrives); existing windows (controls, the MDI client) are taken
// over with Subclass, which uses the comctl32 subclass chain so that other subclassers
// of the same window (an editor component, say) keep working in any order.
// Messages arrive in WindowProc; the default WindowProc calls the per-message virtuals
// below and falls back to DefWindowProc, which derived classes redirect (frame, MDI
// child, subclassed control). Override WindowProc for any message without a virtual and
// call the base for everything else.
//
// Lifetime: the owner of a CWindow object keeps it alive while its window exists; a
// window created with `deleteOnDestroy` set deletes its object after WM_NCDESTROY.
#include <windows.h>
#include <string>

class CWindow {
public:
    CWindow() = default;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;
    virtual ~CWindow();

    HWND hwnd() const { return hwnd_; }
    operator HWND() const { return hwnd_; }
    // The framework object of a window, or null when the window has none.
    static CWindow* FromHandle(HWND hwnd);

    // Registers a window class of this module once; returns its name.
    static const wchar_t* RegisterClass(const wchar_t* name, UINT style = CS_DBLCLKS,
                                        HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                        HICON icon = nullptr);
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                  int x, int y, int cx, int cy, HWND parent, HMENU menuOrId, void* param = nullptr);
    bool Subclass(HWND hwnd);
    void Unsubclass();
    bool DestroyWindow();

    virtual bool PreTranslateMessage(MSG* msg);

    // Text helpers used everywhere.
    std::wstring GetText() const;
    void SetText(const std::wstring& text) { ::SetWindowTextW(hwnd_, text.c_str()); }
    RECT ClientRect() const;
    RECT WindowRect() const;
    bool IsVisible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

    bool deleteOnDestroy = false;

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Runs the default processing of the message being handled.
    LRESULT Default();

    virtual int OnCreate(CREATESTRUCTW*) { return 0; }
    virtual void OnDestroy() {}
    virtual void OnSize(UINT /*type*/, int /*cx*/, int /*cy*/) {}
    // Return true when the command was handled.
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return false; }
    virtual bool OnNotify(NMHDR* /*hdr*/, LRESULT* /*result*/) { return false; }
    virtual void OnPaint() { Default(); }
    // Called after WM_NCDESTROY, when the handle is gone.
    virtual void PostNcDestroy();

    // Called by the window procedures: binds a handle to this object.
    void Bind(HWND hwnd);
    static LRESULT CALLBACK StaticWndProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    static CWindow*& Creating();

    HWND hwnd_ = nullptr;
    bool subclassed_ = false;

private:
    struct CurrentMessage { UINT msg; WPARAM wParam; LPARAM lParam; };
    CurrentMessage current_{};
    int dispatchDepth_ = 0;   // messages of this window being handled, nested
    bool destroyed_ = false;  // the window is gone; PostNcDestroy waits for the outermost message
};

// This module's instance handle (the program or the test).
HINSTANCE FrameworkInstance();
// A string resource, or empty.
std::wstring LoadResString(UINT id);
