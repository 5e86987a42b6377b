#pragma once
// Resource and command ids of the debugger panes' test application.
#define IDR_MAINFRAME 128
#define ID_DEBUG_RUN 32777
#define ID_DEBUG_GO 32778
#define ID_DEBUG_STEP_INTO 32779
#define ID_DEBUG_STEP_OVER 32780
#define ID_DEBUG_STOP 32781
#define ID_VIEW_THREADS 32785
