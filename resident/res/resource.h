/* Resource identifiers of TavroCore.Exe, shared by TavroCore.rc and the C++ sources. */
#ifndef TAVROCORE_RESOURCE_H
#define TAVROCORE_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Invisible owner dialog of the tray icon (no controls). */
#define IDD_TRAY                        102

/* Popup menu of the tray icon. */
#define IDR_TRAYMENU                    103

/* The resident's own icon, the fallback tray icon. */
#define IDI_RESIDENT                    128

/* Commands of the popup menu. */
#define ID_APP_REGIST                   32771
#define ID_APP_QUIT                     32772
#define ID_APP_LAUNCH                   32773

/* Texts the resident sets by code: the launch item of the menu (the display
   name fills %s) and the caption of the launch error box. */
#define IDS_MENU_LAUNCH                 201
#define IDS_LAUNCH_ERROR_CAPTION        202

/* Message box texts: IDS_MSG_ names, numbered from 2001, each with a row in the
   user guide's message table for TavroCore.Exe. The framework's come from AfxRes.h. */
#define IDS_MSG_DIRECT_START            2001
#define IDS_MSG_ICON_NOT_LOADED         2002
#define IDS_MSG_PROGRAM_ICON_NOT_FOUND  2003
#define IDS_MSG_LAUNCH_ERROR            2004
#define IDS_MSG_REGISTRATION_GONE       2005
#define IDS_MSG_TOOL_MISSING            2006

#endif /* TAVROCORE_RESOURCE_H */
