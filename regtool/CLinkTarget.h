// What a shortcut (.lnk) starts, as the shell would start it: a file path
// (expanded where the shortcut stores it with environment variables), an
// item of the shell's namespace without a file path (an app, Control Panel,
// This PC), or an installer-advertised target that the installer resolves
// at each start.
#pragma once

#include "CString.h"

class CLinkTarget
{
public:
    enum Kind {
        Unreadable,     // not a shortcut the shell can load, or one naming nothing
        FilePath,       // target: the file path, environment variables expanded
        PathTooLong,    // the expanded path takes 260 bytes or more
        ShellItem,      // target: the item's parsing name; the shell still knows it
        ShellItemGone,  // target: the item's parsing name (if any); the shell says it is gone
        Advertised      // an installer's descriptor: no file to check or take icons from
    };

    // Loads the shortcut at pszLink and classifies its target into target.
    // Shows nothing; initialises COM for the call.
    static Kind Read(LPCSTR pszLink, CString& target);
    // pszRaw with its environment variables expanded; FALSE when the result
    // would take MAX_PATH bytes or more, or a variable cannot be expanded.
    static BOOL Expand(LPCSTR pszRaw, CString& expanded);
    // The ANSI target of the shortcut file's environment block (EXP_SZ_LINK),
    // read from the file itself; FALSE when it has none.
    static BOOL ReadExpBlock(LPCSTR pszLink, CString& raw);
};
