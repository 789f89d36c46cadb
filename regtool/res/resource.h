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
