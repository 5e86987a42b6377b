#pragma once
// What the main frame takes from the Window Explorer side: the explorer dialog
// (resource 102, created hidden; closing it shows the frame again), the about box
// and the help file.
#include <windows.h>
#include <string>

class CDialog;
class CMDIFrameWnd;

namespace explorer {

// Creates the Window Explorer, hidden; it lives until `frame` is destroyed. Null when it
// cannot be made.
// The dialog deletes itself when its window is destroyed (with the frame); the caller
// keeps the pointer only while the frame exists.
CDialog* CreateWindowExplorer(CMDIFrameWnd* frame);
// The frame's command 32785: hides the frame and shows the explorer, or the other way
// round. Returns whether the explorer is visible now (the command's check mark).
bool ToggleWindowExplorer(CDialog* explorer);
// The about box with the program's version.
void ShowAbout(HWND owner, const std::wstring& components = L"");
// Opens the compiled help file beside the program at its first page.
void ShowHelp(HWND owner);
// Where ShowHelp looks for the help file: Tevrin.chm beside the program.
const wchar_t* HelpFileName();
// Opens a compiled help file at its first page in its main window; returns the help
// window, or null when the file is missing or cannot be shown.
HWND OpenHelpFile(HWND owner, const std::wstring& file);

} // namespace explorer
