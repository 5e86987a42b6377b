#pragma once
// Resource and command identifiers of the main window. The framework's own commands
// (file, edit, window, view bars, help) are in framework/FrameworkIds.h.

// Menu, accelerators, icon and toolbar of the frame without documents; the script
// document's menu and description string; the debug toolbar.
#define IDR_MAINFRAME 128
#define IDR_SCRIPTTYPE 129
#define IDR_DEBUGBAR 130
// Control id of the debug toolbar (the resource id 130 is also the Threads pane's bar id).
#define IDW_DEBUGBAR 0xE806

// Toolbar image strips (20x20): normal images use white as mask colour, hot images
// RGB(255,128,64).
#define IDB_MAINBAR 143
#define IDB_MAINBAR_HOT 144
#define IDB_DEBUGBAR_HOT 145
#define IDB_DEBUGBAR 146

// The program's own commands.
#define ID_ESCAPE 32768
#define ID_VIEW_APPLICATIONS 32771
#define ID_VIEW_CALLSTACK 32772
#define ID_VIEW_VARIABLES 32773
#define ID_VIEW_THREADS 32774
#define ID_VIEW_BREAKPOINTS 32775
#define ID_VIEW_WATCH 32776
#define ID_DEBUG_RUN 32777
#define ID_DEBUG_GO 32778
#define ID_DEBUG_STEP_INTO 32779
#define ID_DEBUG_STEP_OVER 32780
#define ID_DEBUG_STOP 32781
#define ID_DEBUG_TOGGLE_BREAKPOINT 32782
#define ID_DEBUG_BREAK 32783
#define ID_VIEW_RESULTS 32784
#define ID_TOOLS_EXPLORER 32785
#define ID_EDIT_FIND 32786
#define ID_EDIT_REPLACE 32787
#define ID_TOOLS_RECORD 32788
#define ID_TOOLS_STOP_RECORDING 32789
#define ID_TOOLS_START_APPLICATION 32791

// Keyboard commands of the accelerator table without menu entries.
#define ID_NEXT_PANE 0xE150
#define ID_PREV_PANE 0xE151
#define ID_OLE_EDIT_PROPERTIES 0xE20D

// Messages of the debugger.
#define IDS_NO_SCRIPT_WINDOW 61216
#define IDS_CLOSE_DEBUGGER 61217
#define IDS_NO_CODE_FOR_LINE 61219
#define IDS_BREAKPOINTS_DISABLED 61220
#define IDS_BREAKPOINTS_MOVED 61221
