#pragma once
// Command, control and string identifiers shared by the framework and the programs
// built on it. The numbers are the Windows programs' traditional ones, so resource
// scripts written for them keep working.
//
// Use: menus, toolbars and accelerators carry these ids; the framework handles the
// file, window, view-bar and edit commands itself (see CApplication, CMDIFrameWnd,
// CDocument, CRichEditView).

#define ID_SEPARATOR 0

#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_CLOSE 57602
#define ID_FILE_SAVE 57603
#define ID_FILE_SAVE_AS 57604
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_FILE_MRU_FILE1 57616
#define ID_FILE_MRU_LAST 57631
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP 57670

#define ID_EDIT_CLEAR 57632
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_SELECT_ALL 57642
#define ID_EDIT_UNDO 57643

#define ID_WINDOW_NEW 57648
#define ID_WINDOW_ARRANGE 57649
#define ID_WINDOW_CASCADE 57650
#define ID_WINDOW_TILE_HORZ 57651

#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393

#define ID_INDICATOR_CAPS 0xE701
#define ID_INDICATOR_NUM 0xE702
#define ID_INDICATOR_SCRL 0xE703

// Control bar ids: the toolbar and status bar ids double as the View command ids above.
#define IDW_TOOLBAR 0xE800
#define IDW_STATUS_BAR 0xE801
#define IDW_DOCKBAR_TOP 0xE81B
#define IDW_DOCKBAR_LEFT 0xE81C
#define IDW_DOCKBAR_RIGHT 0xE81D
#define IDW_DOCKBAR_BOTTOM 0xE81E
#define IDW_DOCKBAR_FLOAT 0xE81F
#define IDW_PANE_FIRST 0xE900
// First id of the MDI children in the Window menu.
#define IDM_FIRSTCHILD 0xFF00

// The floating frame's system-menu close entry ("&Hide").
#define IDS_HIDE 61457
// Status-bar text when no command is selected.
#define IDS_READY 57345

// Dock sides, also usable as masks for EnableDocking.
#define DOCK_TOP 0x1
#define DOCK_LEFT 0x2
#define DOCK_RIGHT 0x4
#define DOCK_BOTTOM 0x8
#define DOCK_ANY 0xF
