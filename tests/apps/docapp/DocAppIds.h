#pragma once
// Resource and command ids of the script document test application (also linked into
// the docview unit tests, which build the same window in-process).
#define IDR_MAINFRAME 128
#define IDR_SCRIPTTYPE 129
#define ID_TOGGLE_BREAKPOINT 32782
#define ID_VIEW_RESULTS 32772
