#pragma once
// Resource and control identifiers of the Window Explorer and the about box.

#define IDD_ABOUT                100
#define IDD_WINDOW_EXPLORER      102
#define IDC_FINDER_CURSOR        130
#define IDB_KEEP_ON_TOP          135
#define IDB_USE_MSAA             137
#define IDI_FINDER               147
#define IDB_REFRESH              148
#define IDB_SHOW_INVISIBLE       149
#define IDI_FINDER_EMPTY         150

// Window Explorer controls.
#define IDC_EXPLORER_TREE        1000
#define IDC_FINDER               1004
#define IDC_NAME                 1005
#define IDC_USE_MSAA             1006
#define IDC_ROLE                 1007
#define IDC_VALUE                1008
#define IDC_DESCRIPTION          1009
#define IDC_HANDLE               1010
#define IDC_CLASS                1011
#define IDC_PATH                 1012
#define IDC_KEEP_ON_TOP          1013
#define IDC_NAME_LABEL           1014
#define IDC_ROLE_LABEL           1015
#define IDC_VALUE_LABEL          1016
#define IDC_DESCRIPTION_LABEL    1017
#define IDC_HANDLE_LABEL         1018
#define IDC_CLASS_LABEL          1019
#define IDC_TREE_TABS            1020
#define IDC_PATH_LABEL           1021
#define IDC_REFRESH              1022
#define IDC_SHOW_INVISIBLE       1023
#define IDC_FINDER_LABEL         1024

// About box controls.
#define IDC_ABOUT_ICON           1100
#define IDC_ABOUT_VERSION        1101
#define IDC_ABOUT_COPYRIGHT      1102
#define IDC_ABOUT_COMPONENTS     1103
