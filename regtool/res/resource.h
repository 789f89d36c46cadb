/* Resource identifiers of Tavro.exe, shared by Tavro.rc and the C++ sources.
   Control ids repeat between the wizard pages; each page has its own names for them. */
#ifndef TAVRO_RESOURCE_H
#define TAVRO_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Icon and bitmap. */
#define IDR_MAINFRAME                   128
#define IDB_PLANET                      131

/* Dialogs: the main menu dialog and the five wizard pages. */
#define IDD_WELCOME                     129
#define IDD_NEWFIRST                    105
#define IDD_EDITFIRST                   106
#define IDD_EDITPAGE                    130
#define IDD_ENTRYPAGE                   131
#define IDD_LASTPAGE                    132

/* Captions of the wizard sheet and its pages. */
#define IDS_SHEET_CAPTION               104
#define IDS_NEWFIRST                    105
#define IDS_EDITFIRST_EDIT              106
#define IDS_EDITFIRST_DELETE            107
#define IDS_EDITPAGE                    108
#define IDS_ENTRYPAGE                   109
#define IDS_LASTPAGE                    110

/* Texts the tool sets by code: completion page, list, file dialog filters
   ('|' between the parts, "||" at the end), the editing page's field names. */
#define IDS_DONE_REGIST                 201
#define IDS_DONE_DELETE                 202
#define IDS_FINISH                      203
#define IDS_NO_ENTRIES                  204
#define IDS_FILTER_PROGRAMS             205
#define IDS_FILTER_ICONS                206
#define IDS_LABEL_DISPNAME              207
#define IDS_LABEL_WORKDIR               208
#define IDS_LABEL_CMDLINE               209
#define IDS_LABEL_ICONPATH              210
#define IDS_TRAY_SHOWN                  211
#define IDS_TRAY_NOT_STARTED            212
#define IDS_TRAY_UPDATED                213
#define IDS_TRAY_ENDED                  214
#define IDS_TRAY_LEFT_RUNNING           215

/* Message box texts: IDS_MSG_ names, numbered from 2001, each with a row in the
   user guide's message table for Tavro.exe. The framework's (AfxRes.h) come
   from its own file; the entry store shows nothing and has no texts. */
#define IDS_MSG_ALREADY_RUNNING         2001
#define IDS_MSG_TOOL_FOLDER_TOO_LONG    2002
#define IDS_MSG_TOOL_FOLDER_UNREPRESENTABLE 2003
#define IDS_MSG_FOLDER_MOVED            2004
#define IDS_MSG_NO_SUCH_FILE            2005
#define IDS_MSG_PATH_TOO_LONG           2006
#define IDS_MSG_PATH_UNREPRESENTABLE    2007
#define IDS_MSG_DRAG_ERROR              2008
#define IDS_MSG_NOT_ASSOCIATED          2009
#define IDS_MSG_ASSOCIATION_ERROR       2010
#define IDS_MSG_ICON_NOT_LOADED         2011
#define IDS_MSG_ORGICON_REQUIRED        2012
#define IDS_MSG_PROGRAM_MISSING         2013
#define IDS_MSG_DISPNAME_EMPTY          2014
#define IDS_MSG_ICONPATH_EMPTY          2015
#define IDS_MSG_FIELD_TOO_LONG          2016
#define IDS_MSG_FIELD_CONTROL_CHARS     2017
#define IDS_MSG_FIELD_UNREPRESENTABLE   2018
#define IDS_MSG_OVERWRITE               2019
#define IDS_MSG_FOLDER_NOT_CREATED      2020
#define IDS_MSG_SETTINGS_NOT_WRITTEN    2021
#define IDS_MSG_SHORTCUT_NOT_CREATED    2022
#define IDS_MSG_NO_PROGRAM              2023
#define IDS_MSG_STARTUP_NOT_CREATED     2024
#define IDS_MSG_NOT_A_REGISTRATION      2025
#define IDS_MSG_STARTUP_FOLDER_UNKNOWN  2026
#define IDS_MSG_FOLDER_NOT_REMOVABLE    2027
#define IDS_MSG_STARTUP_LINK_NOT_DELETED 2028
#define IDS_MSG_STARTUP_SKIPPED         2029
#define IDS_MSG_STARTUP_LINK_FOREIGN    2030
#define IDS_MSG_READ_ONLY_NOT_REMOVABLE 2031
#define IDS_MSG_FOLDER_IN_USE           2032
#define IDS_MSG_LINK_TARGET_MISSING     2033
#define IDS_MSG_SHORTCUTS_NOT_UPDATED   2034
#define IDS_MSG_FILE_NOT_DELETED        2035
#define IDS_MSG_FOLDER_NOT_DELETED      2036
#define IDS_MSG_ITEM_NOT_REMOVABLE      2037
#define IDS_MSG_RESIDENT_MISSING        2038

/* Main menu dialog. */
#define IDC_PLANET                      1014
#define IDC_BUTTON_NEW                  1015
#define IDC_BUTTON_EDIT                 1016
#define IDC_BUTTON_DELETE               1017
#define IDC_BUTTON_HELP                 1018
#define IDC_BUTTON_EXIT                 1019
#define IDC_WELCOME_WOW64               1020

/* File selection page. */
#define IDC_NEWFIRST_BROWSE             1015
#define IDC_NEWFIRST_PATH               1016

/* Entry list page. */
#define IDC_ENTRY_SELECTED              1019
#define IDC_ENTRY_ICON                  1020
#define IDC_ENTRY_LIST                  1022

/* Entry editing page. */
#define IDC_EDIT_CMDLINE                1001
#define IDC_EDIT_WORKDIR                1002
#define IDC_EDIT_ICON                   1003
#define IDC_EDIT_BROWSEICON             1005
#define IDC_EDIT_DISPNAME               1007
#define IDC_EDIT_ORGICON                1008
#define IDC_EDIT_ICONPATH               1009
#define IDC_EDIT_PROGRAM                1017

/* Confirmation page. */
#define IDC_CONFIRM_WORKDIR             1002
#define IDC_CONFIRM_ICON                1003
#define IDC_CONFIRM_DISPNAME            1007
#define IDC_CONFIRM_PROGRAM             1017
#define IDC_CONFIRM_CMDLINE             1020
#define IDC_CONFIRM_STARTUP             1021
#define IDC_CONFIRM_DELETENOTE          1023

/* Completion page. */
#define IDC_LAST_NOTE                   1023
#define IDC_LAST_MESSAGE                1024

#endif /* TAVRO_RESOURCE_H */
