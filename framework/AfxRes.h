/* String-table ids of the framework's own texts. Both programs' resource scripts
   include AfxRes.rc, which holds them. IDS_MSG_ marks a message box text. */
#ifndef TAVRO_AFXRES_H
#define TAVRO_AFXRES_H

#define IDS_MSG_OUT_OF_MEMORY           61440
#define IDS_MSG_NEEDS_JAPANESE_CODEPAGE 61441

#endif /* TAVRO_AFXRES_H */
