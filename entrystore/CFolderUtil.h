// Folder operations of the entry store: listing the entry folders, creating
// an entry folder with its parents, removing an entry folder with its content.
// Holds no data; create one on the stack for a call.
#pragma once

#include "CString.h"
#include "CStringArray.h"

class CFolderUtil
{
public:
    // Appends the names (no path) of the subfolders of folder that are neither
    // hidden, system nor temporary, in the order the platform lists them,
    // behind what names already holds. Returns the size of names afterwards.
    int EnumSubFolders(CStringArray& names, LPCSTR folder);

    // Creates path level by level below its drive root (C:\a, C:\a\b, ...).
    // A trailing backslash is ignored. 0 on success (also when everything
    // exists), -2 for a path under 3 bytes, 206 for one of 260 bytes or more,
    // else the Win32 error code of the first level that could not be created;
    // levels created before it stay.
    int CreateFolderTree(LPCSTR path);
    // Creates the level ending at the first backslash at or after byte nStart
    // (the whole path when there is none), then the levels after it.
    int CreateFolderFrom(LPCSTR path, int nStart);
    // One folder; an existing one (of any kind) counts as success.
    int CreateOneFolder(LPCSTR path);

    // Removes the folder with all its content and reports a failure itself in
    // one message box, at the level where it happened; what was removed before
    // stays removed. Returns 0 or the Win32 error code. It never acts outside
    // the given tree: the path must be absolute below a drive root (else 123),
    // links are removed as links and never entered, names that would lead
    // elsewhere are left alone, and an item whose real location is not inside
    // the folder stops the removal with 1921. Paths that reach 260 bytes
    // stop it with 206. One pending window message is dispatched per item
    // visited, so that windows keep painting.
    int RemoveFolderTree(LPCSTR path);

    // The checks of RemoveFolderTree that refuse the folder as a whole (its
    // path, a link at the top that resolves elsewhere), without removing
    // anything: 0, or the code after the same message RemoveFolderTree shows.
    int CheckRemovable(LPCSTR path);
    // Deletes one file as itself: a link goes and its target stays. Shows
    // nothing; 0, the error code, or 1921 when the file opens as something
    // outside its folder (a link the platform cannot remove as itself).
    int DeleteFileItself(LPCSTR path);

    // Finds, before anything is removed, what would stop the removal of the
    // folder half way: a read-only file (ERROR_ACCESS_DENIED) or a folder that
    // another program holds open, as its current folder for one (the error of
    // opening it for deletion without sharing, 32). item gets the path of the
    // file or folder. Links are not entered. Shows nothing; 0 when nothing blocks.
    int FindBlockingItem(LPCSTR path, CString& item);

    // Whether a found item is a link (a symbolic link, a junction: a reparse
    // point whose tag is a name surrogate), to be removed as itself and never
    // entered. Other reparse points, such as cloud files and folders kept by
    // a sync engine, are the file or folder they are. A reparse point
    // without a tag (Wine shows Unix links so) counts as a link.
    static BOOL IsLink(const WIN32_FIND_DATAA& data);

    // The same rule as the free function AppendBackslash.
    void AppendBackslash(CString& path);

private:
    int RemoveFolderLevel(const CString& folder, const CString& finalPath);
    int RemoveItem(const CString& folder, const CString& finalPath, const WIN32_FIND_DATAA& data);
    int RemoveFolderItself(const CString& folder);
};
