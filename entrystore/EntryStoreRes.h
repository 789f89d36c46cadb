/* String-table ids of the entry store's texts, held by EntryStore.rc, which the
   registration tool's resource script includes. IDS_MSG_ marks a message box text. */
#ifndef TAVRO_ENTRYSTORERES_H
#define TAVRO_ENTRYSTORERES_H

#define IDS_MSG_FILE_NOT_DELETED        61456
#define IDS_MSG_FOLDER_NOT_DELETED      61457

#endif /* TAVRO_ENTRYSTORERES_H */
