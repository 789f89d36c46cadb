// Folder operations of the entry store: listing the entry folders, creating
// an entry folder with its parents, removing an entry folder with its content.
// Create one on the stack for an operation; it keeps only the caller's
// progress callback and where the last removal or check stopped.
#pragma once

#include "CString.h"
#include "CStringArray.h"

struct TreeRoot;

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

    // Called once per item a removal or its check visits, so that the caller
    // can keep its windows responsive; the store itself dispatches nothing.
    typedef void (*ProgressFn)(void* pContext);

    // Where a removal or its check stopped.
    enum FailureKind {
        FailNone = 0,
        FailTree,     // the folder as a whole is refused (its path, a link at the top, missing)
        FailFile,     // a file in the tree
        FailFolder    // a folder in the tree, the given folder included
    };

    CFolderUtil();
    CFolderUtil(ProgressFn pfnProgress, void* pContext);

    // Removes the folder with all its content; what was removed before a
    // failure stays removed. Returns 0 or the Win32 error code, the item it
    // stopped at in FailedItem. It never acts outside the given tree: the
    // path must be absolute below a drive root (else 123), links are removed
    // as links and never entered, names that would lead elsewhere are left
    // alone, and an item whose real location is not inside the folder stops
    // the removal with 1921. Paths that reach 260 bytes stop it with 206.
    // Shows nothing.
    int RemoveFolderTree(LPCSTR path);

    // One walk over the folder with the removal's own rules, changing
    // nothing: 0 when RemoveFolderTree would remove it all, else the code it
    // would stop with and, in FailedItem, the item: the folder refused as a
    // whole, an item path of 260 bytes or more (206), a read-only file (5), a
    // name the removal would leave behind (145), an item that resolves
    // outside (1921), a file or folder that cannot be opened for deletion
    // under the sharing others' handles allow (32: a file open without delete
    // sharing, a folder that is a process's current folder). Handles that
    // allow deletion (an Explorer window, an indexer, a scanner) do not block.
    int CheckRemovable(LPCSTR path);
    // Deletes one file as itself: a link goes and its target stays. Shows
    // nothing; 0, the error code, or 1921 when the file opens as something
    // outside its folder (a link the platform cannot remove as itself).
    int DeleteFileItself(LPCSTR path);

    // The item at which the last RemoveFolderTree or CheckRemovable stopped.
    FailureKind FailedKind() const { return m_failedKind; }
    const CString& FailedItem() const { return m_failedItem; }

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
    int CheckFolderLevel(const CString& folder, const CString& finalPath);
    int CheckItem(const CString& folder, const CString& finalPath, const WIN32_FIND_DATAA& data);
    // Checks the root's path and whereabouts; 0 or the code, recorded as FailTree.
    int InspectTree(const CString& folder, TreeRoot& root);
    // Records where the walk stopped; returns code (0 records nothing).
    int Fail(FailureKind kind, int code, const CString& item);
    void Progress();

    ProgressFn m_pfnProgress;
    void* m_pProgressContext;
    FailureKind m_failedKind;
    CString m_failedItem;
};
