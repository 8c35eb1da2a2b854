// Ids shared by the resource script (app/kelvora.rc) and the code: dialogs, controls, icon.
#pragma once

#define IDD_MAIN 101
#define IDD_PROGRESS 102
#define IDI_APP 103

// Progress dialog
#define IDC_REPLACED_STRINGS 1001
#define IDC_REPLACED_FILES 1002
#define IDC_SEARCHED_FILES 1004

// Main dialog
#define IDC_BACKUPS 1000
#define IDC_ONLYWORDS 1006
#define IDC_MATCHCASE 1052
#define IDC_FIND 1057
#define IDC_FILETYPES 1058
#define IDC_FOLDER 1059
#define IDC_BROWSE 1060
#define IDC_SUBFOLDERS 1061
#define IDC_REPLACE 1062
#define IDC_FOLDER_LABEL 1063
