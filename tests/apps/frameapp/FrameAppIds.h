#pragma once
// Resource and command ids of the frame test application (also linked into the
// framework unit tests, which build the same window in-process).
#define IDR_MAINFRAME 128
#define IDR_TEXTTYPE 129
#define IDB_TOOLBAR 143
#define IDB_TOOLBAR_HOT 144
#define IDD_OUTPUT_PANE 200
#define IDD_WATCH_PANE 201
#define IDD_TREE_PANE 202
#define IDC_OUTPUT_LIST 1020
#define IDC_WATCH_EDIT 1021
#define IDC_WATCH_ADD 1022
#define IDC_WATCH_LIST 1023
#define IDC_TREE 1024
#define ID_VIEW_OUTPUT 32772
#define ID_VIEW_WATCH 32773
#define ID_VIEW_TREE 32774
#define ID_RUN 32777
#define ID_TOGGLE_RUN_ENABLED 32790
