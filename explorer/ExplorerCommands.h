#pragma once
// What the main frame takes from the Window Explorer side: the explorer dialog
// (resource 102, created hidden; closing it shows the frame again), the about box
// and the help file.
#include <windows.h>

class CDialog;
class CMDIFrameWnd;

namespace explorer {

// Creates the Window Explorer, hidden, owned by `frame`. Null when it cannot be made.
CDialog* CreateWindowExplorer(CMDIFrameWnd* frame);
// The about box with the program's version.
void ShowAbout(HWND owner);
// Opens the compiled help file beside the program at its first page.
void ShowHelp(HWND owner);

} // namespace explorer
