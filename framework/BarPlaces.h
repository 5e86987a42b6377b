#pragma once
// Where the frame's control bars are, kept in the profile across runs: a docked bar's
// side, row and place in the row, or the position of a floating bar's frame. Each bar
// has its own profile section, shared with whatever else the bar saves there.
//     SaveBarPlace(toolBar, L"Standard-Bar-59392");
//     LoadBarPlaces(frame, {{&toolBar, L"Standard-Bar-59392"}, {&pane, L"Watch-Pane-201"}});
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

class CControlBar;
class CMDIFrameWnd;
class CProfile;

// "<name>-Bar-<bar id>", the section of a bar that keeps nothing but its place.
std::wstring BarSectionName(const wchar_t* name, UINT barId);

// With no profile given, the application's.
void SaveBarPlace(const CControlBar& bar, const std::wstring& section, const CProfile* profile = nullptr);

// Puts bars back where SaveBarPlace found them, rows in their saved order. A bar with no
// saved place, or one that no longer fits (a side it may not dock on, a floating position
// off every screen), keeps the place the program gave it.
void LoadBarPlaces(CMDIFrameWnd* frame, const std::vector<std::pair<CControlBar*, std::wstring>>& bars,
                   const CProfile* profile = nullptr);
