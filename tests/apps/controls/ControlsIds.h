#pragma once
// Control ids of the controls application, shared by its resource script and the tests.
#define IDD_CONTROLS 100
#define IDD_MODAL 101
#define IDC_EDIT 1001
#define IDC_PUSH 1002
#define IDC_TRISTATE 1003
#define IDC_NAME_LABEL 1004
#define IDC_STATUS_LABEL 1005
#define IDC_SINGLE_LIST 1010
#define IDC_MULTI_LIST 1011
#define IDC_COMBO 1012
#define IDC_LISTVIEW 1013
#define IDC_TREE 1014
#define IDC_TAB 1015
#define IDC_OPEN_MODAL 1016
#define IDC_RICHEDIT 1017
