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

#endif /* TAVROCORE_RESOURCE_H */
