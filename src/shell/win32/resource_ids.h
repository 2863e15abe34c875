// Identifiers of the program's resources and of the controls in its dialog
// templates. Read by resources/quorlix.rc and by the dialog code, so only
// plain #defines here.
#pragma once

// Icon
#define IDI_QUORLIX 200

// Dialogs
#define IDD_MAIN 100
#define IDD_ABOUT 101
#define IDD_HELP 102
#define IDD_OPTIONS 103
#define IDD_WELCOME_PAGE 110
#define IDD_DIRECTORY_PAGE 111
#define IDD_EXCLUDED_PAGE 112
#define IDD_EXTENSIONS_PAGE 113
#define IDD_FILE_PAGE 114
#define IDD_LOG_PAGE 115

// Main window
#define IDC_CONVERT_WEBSITE 201
#define IDC_CONVERT_FILE 202
#define IDC_SHOW_ABOUT 203
#define IDC_SHOW_HELP 204
#define IDC_EXIT 205

// Help box
#define IDC_OPEN_DOCUMENTATION 206

// Log page
#define IDC_SAVE_LOG 207
#define IDC_ABORT 208

// Wizard pages
#define IDC_BROWSE 209
#define IDC_ADD 210
#define IDC_REMOVE 211
#define IDC_OPTIONS 212

// About box
#define IDC_LICENCE 300

// Edit controls and lists of the pages
#define IDC_LOG 310
#define IDC_DIRECTORY 320
#define IDC_EXCLUDED_LIST 330
#define IDC_EXTENSION_LIST 340
#define IDC_FILE 350
#define IDC_EXTENSION 370

// Options dialog
#define IDC_DELETE_IMG_BORDER 360
#define IDC_DELETE_TD_SCOPE 361
#define IDC_NO_BACKUP 362

// Controls of the property sheet itself
#define IDC_SHEET_NEXT 12324
#define IDC_SHEET_FINISH 12325

// Help box: where the documentation file is
#define IDC_DOCUMENTATION_PATH 301
