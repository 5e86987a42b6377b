#pragma once
// Command ids of the input application, shared with the tests that drive it.

// File popup (filled when it opens): Open, Recent (a popup), separator, Exit.
#define IDM_FILE_OPEN 101
#define IDM_FILE_EXIT 102
#define IDM_RECENT_FIRST 111
// Edit popup.
#define IDM_EDIT_COPY 201
#define IDM_EDIT_PASTE 202
// Help popup: About, Options (a popup).
#define IDM_HELP_ABOUT 301
#define IDM_OPTIONS_VERBOSE 311

// Toolbar buttons: New, Open, Save, a separator (index 3), Print.
#define IDT_NEW 401
#define IDT_OPEN 402
#define IDT_SAVE 403
#define IDT_PRINT 404

// Colour of the click pad, so that screenshots can be checked.
#define INPUTAPP_PAD_RED 32
#define INPUTAPP_PAD_GREEN 160
#define INPUTAPP_PAD_BLUE 96
