// Identifiers shared by the resource script and the code.
#pragma once

// Main window: menu, accelerators, toolbar, title string and program icon share this id.
#define IDR_MAINFRAME 128

// Toolbar icons.
#define IDI_DEVICE_MANAGER 130
#define IDI_REFRESH 129
#define IDI_MICROSOFT_DRIVERS 131
#define IDI_PRESENT_DEVICES 132
#define IDI_DRIVER_FILES 133
#define IDI_SAVE 134
#define IDI_RESTORE 135

// Commands: menu items, accelerators, toolbar buttons and their status/tooltip strings.
#define ID_DEVICE_REFRESH 3000
#define ID_DEVICE_DRIVER_FILES 3001
#define ID_VIEW_PRESENT_ONLY 3002
#define ID_VIEW_MICROSOFT_DRIVERS 3003
#define ID_DEVICE_SAVE 3004
#define ID_TOOLS_DEVICE_MANAGER 3005
#define IDC_DEVICE_TREE_VIEW 3006
#define ID_HELP_CONTENTS 3009
#define ID_HELP_HOMEPAGE 3010
#define ID_DEVICE_RESTORE 3011
#define ID_DEVICE_OPEN_OFFLINE 3012
#define ID_DEVICE_SHOW_THIS_PC 3013
#define ID_DEVICE_VERIFY 3014
#define ID_DEVICE_EXPORT 3050
// The device row's context menu: save this one device, open its property sheet.
#define IDR_DEVICE_CONTEXT 3030
#define ID_DEVICE_SAVE_SELECTED 3031
#define ID_DEVICE_PROPERTY_SHEET 3032

#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define IDS_IDLE_MESSAGE 57345
#define IDW_TOOLBAR 59392
#define IDW_STATUS_BAR 59393

// Texts of the offline Windows commands.
#define IDS_OFFLINE_CAPTION 4200
#define IDS_OFFLINE_PICK_FOLDER 4201
#define IDS_OFFLINE_NO_PROPERTIES 4202
#define IDS_OFFLINE_FOLDER_REFUSED 4203
// Texts of a save started in the window.
#define IDS_SAVE_CAPTION 4400
#define IDS_SAVE_FOLDER_REFUSED 4401
// Texts of the device list's export.
#define IDS_EXPORT_CAPTION 4300
#define IDS_EXPORT_FILTER 4301
#define IDS_EXPORT_FAILED 4302
// Texts of both package lists, the restore's and the verify dialog's.
#define IDS_PACKAGES_SOURCE 4102
#define IDS_PACKAGES_FOLDER_REFUSED 4116
#define IDS_PACKAGES_NONE_FOUND 4103
#define IDS_PACKAGES_REASON 4108
#define IDS_PACKAGES_COLUMN_FOLDER 4110
#define IDS_PACKAGES_COLUMN_INF 4111
// Texts of the restore dialog and its command.
#define IDS_RESTORE_CAPTION 4100
#define IDS_RESTORE_PICK_FOLDER 4101
#define IDS_RESTORE_COUNT 4104
#define IDS_RESTORE_CHECK_FAILED 4105
#define IDS_RESTORE_NOTHING_TICKED 4106
#define IDS_RESTORE_NO_DEVICE 4107
#define IDS_RESTORE_RESTART_NEEDED 4109
#define IDS_RESTORE_COLUMN_VERSION 4112
#define IDS_RESTORE_COLUMN_PROVIDER 4113
#define IDS_RESTORE_COLUMN_DEVICES 4114
#define IDS_RESTORE_COLUMN_STATUS 4115

// Texts of the verify dialog and its command.
#define IDS_VERIFY_CAPTION 4130
#define IDS_VERIFY_PICK_FOLDER 4131
#define IDS_VERIFY_SUMMARY 4132
#define IDS_VERIFY_FAILED 4133
#define IDS_VERIFY_COLUMN_VERDICT 4134
#define IDS_VERIFY_COLUMN_FILES 4135

// Dialogs and their controls.
#define IDD_ABOUT 100
#define IDD_DRIVER_FILES 201
#define IDD_SAVE_PROGRESS 202
#define IDD_RESTORE 203
#define IDD_RESTORE_PROGRESS 204
#define IDD_VERIFY 205

#define IDC_FILE_LIST 1001
#define IDC_DEVICE_PROPERTIES 1003
#define IDC_SAVE 1004
#define IDC_STATUS_BAR 1006
#define IDC_SAVE_PROGRESS 1007
#define IDC_SAVE_PERCENT 1008
#define IDC_EMAIL_LINK 1010
#define IDC_HOMEPAGE_LINK 1011
#define IDC_PRODUCT_LINE 1013
#define IDC_RESTORE_LIST 1020
#define IDC_RESTORE_SOURCE 1021
#define IDC_RESTORE_STATUS 1022
#define IDC_VERIFY_LIST 1023
#define IDC_VERIFY_SOURCE 1024
#define IDC_VERIFY_STATUS 1025

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
