// Test helpers of the file selection and editing pages: real drop handles and
// a responder that fills in and confirms the platform's file dialog.
#pragma once

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <shlobj.h>
#include <string>
#include <vector>

// A drop handle as the shell makes it: a DROPFILES header followed by the
// NUL-separated ANSI paths and a final NUL. The receiver frees it (DragFinish).
inline HDROP MakeDrop(const std::vector<std::string>& paths)
{
    size_t nBytes = sizeof(DROPFILES) + 1;
    for (size_t i = 0; i < paths.size(); ++i)
        nBytes += paths[i].size() + 1;
    if (paths.empty())
        ++nBytes;   // an empty list still ends in two NULs
    HGLOBAL hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nBytes);
    char* pData = static_cast<char*>(GlobalLock(hGlobal));
    DROPFILES* pHeader = reinterpret_cast<DROPFILES*>(pData);
    pHeader->pFiles = sizeof(DROPFILES);
    pHeader->fWide = FALSE;
    char* p = pData + sizeof(DROPFILES);
    for (size_t i = 0; i < paths.size(); ++i) {
        memcpy(p, paths[i].c_str(), paths[i].size() + 1);
        p += paths[i].size() + 1;
    }
    GlobalUnlock(hGlobal);
    return static_cast<HDROP>(hGlobal);
}

// Drops the paths onto a window as the shell does, and pumps.
inline void DropFiles(HWND hWnd, const std::vector<std::string>& paths)
{
    SendMessageA(hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    PumpMessages();
}

inline void DropFile(HWND hWnd, const std::string& path)
{
    DropFiles(hWnd, std::vector<std::string>(1, path));
}

// One path dropped in the wide form, as the shell drops it.
inline void DropFile(HWND hWnd, const std::wstring& path)
{
    HGLOBAL hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + (path.size() + 2) * 2);
    DROPFILES* pHeader = static_cast<DROPFILES*>(GlobalLock(hGlobal));
    *pHeader = DROPFILES{ sizeof(DROPFILES), { 0, 0 }, FALSE, TRUE };
    memcpy(pHeader + 1, path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(hGlobal);
    SendMessageA(hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(hGlobal), 0);
    PumpMessages();
}

// A path of exactly nLength bytes: folder, then filler, then the name.
inline std::string PathOfLength(const std::string& folder, const std::string& name, size_t nLength)
{
    std::string path = folder + "\\";
    size_t nFill = nLength - path.size() - name.size();
    return path + std::string(nFill, 'a') + name;
}

// A shortcut to target that carries its own arguments and work folder.
inline bool MakeShortcutWithArguments(const std::string& link, const std::string& target,
                                      const std::string& arguments, const std::string& workDir)
{
    HRESULT hrInit = CoInitialize(NULL);
    IShellLinkA* pLink = NULL;
    IPersistFile* pFile = NULL;
    WCHAR wide[MAX_PATH] = { 0 };
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    bool saved = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                            reinterpret_cast<void**>(&pLink))) &&
                 SUCCEEDED(pLink->SetPath(target.c_str())) && SUCCEEDED(pLink->SetArguments(arguments.c_str())) &&
                 SUCCEEDED(pLink->SetWorkingDirectory(workDir.c_str())) &&
                 SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile))) &&
                 SUCCEEDED(pFile->Save(wide, TRUE));
    if (pFile)
        pFile->Release();
    if (pLink)
        pLink->Release();
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    return saved;
}

// While it lives, answers the next file dialog of this thread that is owned
// by hOwner: types the path into its file name field and presses OK (or
// Cancel when the path is empty). The dialog runs modally inside the code
// under test, so a thread timer, dispatched by the dialog's own message
// loop, does the typing. A dialog still open three seconds after the answer
// (or a box of its own) is cancelled, so that a test cannot hang.
class FileDialogResponder
{
public:
    FileDialogResponder(HWND hOwner, const std::string& path, const std::wstring& widePath = L"")
        : m_hOwner(hOwner), m_path(path), m_widePath(widePath), m_bAnswered(false), m_bStuck(false),
          m_nTicksSinceAnswer(0), m_hFound(NULL)
    {
        Active() = this;
        m_nTimer = SetTimer(NULL, 0, 100, TimerProc);
    }
    ~FileDialogResponder()
    {
        KillTimer(NULL, m_nTimer);
        Active() = NULL;
    }

    bool Answered() const { return m_bAnswered; }
    // The dialog did not close on the answer and had to be cancelled.
    bool Stuck() const { return m_bStuck; }
    // The folder the dialog showed when it was found.
    const std::string& StartFolder() const { return m_startFolder; }
    // The text of the file name field when it was found.
    const std::string& InitialName() const { return m_initialName; }

private:
    static FileDialogResponder*& Active()
    {
        static FileDialogResponder* s_pActive = NULL;
        return s_pActive;
    }

    struct Search {
        HWND hOwner;
        HWND hFound;
    };

    static BOOL CALLBACK FindOwned(HWND hWnd, LPARAM lParam)
    {
        Search* pSearch = reinterpret_cast<Search*>(lParam);
        char szClass[32] = { 0 };
        GetClassNameA(hWnd, szClass, sizeof(szClass));
        if (lstrcmpA(szClass, "#32770") == 0 && GetWindow(hWnd, GW_OWNER) == pSearch->hOwner) {
            pSearch->hFound = hWnd;
            return FALSE;
        }
        return TRUE;
    }

    static HWND FindOwnedDialog(HWND hOwner)
    {
        Search search = { hOwner, NULL };
        EnumThreadWindows(GetCurrentThreadId(), FindOwned, reinterpret_cast<LPARAM>(&search));
        return search.hFound;
    }

    static HWND NameField(HWND hDlg)
    {
        HWND hField = GetDlgItem(hDlg, 1148);   // cmb13, Explorer style
        return hField ? hField : GetDlgItem(hDlg, 1152);   // edt1
    }

    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD)
    {
        FileDialogResponder* self = Active();
        if (!self)
            return;
        if (self->m_bAnswered) {
            if (!IsWindow(self->m_hFound) || ++self->m_nTicksSinceAnswer < 30)
                return;
            self->m_bStuck = true;
            HWND hBox = FindOwnedDialog(self->m_hFound);
            if (hBox)
                PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            PostMessageA(self->m_hFound, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        HWND hDlg = FindOwnedDialog(self->m_hOwner);
        if (!hDlg || !IsWindowVisible(hDlg))
            return;
        self->m_hFound = hDlg;
        wchar_t szFolder[MAX_PATH] = { 0 };   // the dialog runs in its wide form
        SendMessageW(hDlg, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(szFolder));
        CString folder;
        folder.SetFromWideExact(szFolder);
        self->m_startFolder = folder;
        self->m_initialName = WindowText(NameField(hDlg));
        self->m_bAnswered = true;
        if (self->m_path.empty() && self->m_widePath.empty()) {
            PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        if (self->m_widePath.empty())
            SetWindowTextA(NameField(hDlg), self->m_path.c_str());
        else
            SetWindowTextW(NameField(hDlg), self->m_widePath.c_str());
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDOK)));
    }

    HWND m_hOwner;
    std::string m_path;
    std::wstring m_widePath;   // typed instead of m_path when given
    bool m_bAnswered;
    bool m_bStuck;
    int m_nTicksSinceAnswer;
    HWND m_hFound;
    UINT_PTR m_nTimer;
    std::string m_startFolder;
    std::string m_initialName;
};

// Clicks the page's button that opens a file dialog and checks that the
// responder answered the dialog and that it closed.
inline void BrowseWith(HWND hPage, int nButtonId, const FileDialogResponder& responder)
{
    SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(nButtonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hPage, nButtonId)));
    PumpMessages();
    ASSERT_TRUE(responder.Answered());
    ASSERT_FALSE(responder.Stuck());
}

// File types the shell opens without a program FindExecutableA can name, in the
// user's classes for the test's life: ".tavdelegate", whose open verb only has
// a DelegateExecute value, and ".tavpackaged", whose class carries a packaged
// app's id and no command.
struct ShellOnlyFileTypes {
    ShellOnlyFileTypes()
    {
        const char* values[][3] = { { ".tavdelegate", NULL, "TavroTest.Delegate" },
                                    { "TavroTest.Delegate\\shell\\open\\command", "DelegateExecute", "{4ED3A719-CEA8-4BD9-910D-E252F997AFC2}" },
                                    { ".tavpackaged", NULL, "TavroTest.Packaged" },
                                    { "TavroTest.Packaged\\Application", "AppUserModelID", "Tavro.Test_8wekyb3d8bbwe!App" } };
        for (const auto& v : values)
            RegSetKeyValueA(HKEY_CURRENT_USER, (std::string("Software\\Classes\\") + v[0]).c_str(), v[1], REG_SZ, v[2], lstrlenA(v[2]) + 1);
    }
    ~ShellOnlyFileTypes()
    {
        for (const char* key : { ".tavdelegate", "TavroTest.Delegate", ".tavpackaged", "TavroTest.Packaged" })
            RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\Classes\\") + key).c_str());
    }
};
