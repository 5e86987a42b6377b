#pragma once
// Dialog resources of the pane contents (each is also its pane's bar id) and their controls.
#define IDD_THREADS_PANE 130
#define IDD_VARIABLES_PANE 131
#define IDD_CALLSTACK_PANE 132
#define IDD_APPLICATIONS_PANE 133
#define IDD_BREAKPOINTS_PANE 134
#define IDD_WATCH_PANE 135
#define IDD_RESULTS_PANE 141

#define IDC_WATCH_LIST 1006
#define IDC_THREADS_LIST 1007
#define IDC_VARIABLES_LIST 1007
#define IDC_RESULTS_EDIT 1010
#define IDC_CALLSTACK_LIST 1015
#define IDC_APPLICATIONS_LIST 1017
#define IDC_BREAKPOINTS_LIST 1020
