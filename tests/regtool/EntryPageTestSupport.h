// Helpers of the entry list, confirmation and completion page tests: the
// tool's folder (the test program's own folder) emptied of entry folders
// around every test, entry folders made by hand, the Startup folder, and
// shortcuts read back through the shell's link object.
#pragma once

#include "CRegistSheet.h"
#include "PathUtil.h"
#include "TestSupport.h"
#include "WizardDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace pagesb {

// Every test program registered by these tests has a name starting with this,
// so that the Startup folder is cleaned of their shortcuts only.
const char kPrefix[] = "tvb";

inline CString ToolDir()
{
    return GetModuleDir();
}

inline CString StartupDir()
{
    char path[MAX_PATH] = { 0 };
    SHGetSpecialFolderPathA(NULL, path, CSIDL_STARTUP, TRUE);
    return CString(path);
}

inline CString StartupLink(LPCSTR pszFileName)
{
    return StartupDir() + "\\" + pszFileName + ".lnk";
}

// Names of the items directly in a folder, without "." and "..".
inline std::vector<std::string> ListFolder(LPCSTR folder, bool bFoldersOnly)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(CString(folder) + "\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        if (bFoldersOnly && !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        names.push_back(name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

// Leaves the tool's folder with nothing but what the build put there, and
// the Startup folder without the tests' shortcuts.
inline void CleanToolAndStartup()
{
    CString tool = ToolDir();
    std::vector<std::string> folders = ListFolder(tool, true);
    for (size_t i = 0; i < folders.size(); ++i)
        RemoveTreeForTest(tool + folders[i].c_str());
    DeleteFileA(tool + "TavroCre.Exe");
    CString startup = StartupDir();
    std::vector<std::string> items = ListFolder(startup, false);
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& name = items[i];
        if (name.compare(0, 3, kPrefix) == 0 || name == ".lnk") {
            CString item = startup + "\\" + name.c_str();
            SetFileAttributesA(item, FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileA(item))
                RemoveTreeForTest(item);
        }
    }
}

// An entry folder below the tool's folder with a settings file (skipped when
// program is NULL: a folder without settings file).
inline CString MakeEntryFolder(LPCSTR folderName, LPCSTR dispName, LPCSTR program,
                               LPCSTR iconPath = "", bool bOrgIcon = false)
{
    CString folder = ToolDir() + folderName;
    CreateDirectoryA(folder, NULL);
    if (program) {
        CString ini = folder + "\\Tavro.ini";
        WritePrivateProfileStringA("data", "dispname", dispName, ini);
        WritePrivateProfileStringA("data", "program", program, ini);
        WritePrivateProfileStringA("data", "cmdline", "", ini);
        WritePrivateProfileStringA("data", "iconpath", iconPath, ini);
        WritePrivateProfileStringA("data", "orgicon", bOrgIcon ? "1" : "0", ini);
        WritePrivateProfileStringA("data", "workdir", "", ini);
    }
    return folder;
}

inline std::string IniValue(LPCSTR iniPath, LPCSTR key)
{
    char value[MAX_PATH] = { 0 };
    GetPrivateProfileStringA("data", key, "", value, MAX_PATH, iniPath);
    return value;
}

// A program with an icon: the test program itself carries the tool's icon 128.
inline bool CopySelfTo(LPCSTR pszTarget)
{
    char self[MAX_PATH] = { 0 };
    GetModuleFileNameA(NULL, self, MAX_PATH);
    return CopyFileA(self, pszTarget, FALSE) != FALSE;
}

inline bool IsLiveIcon(HICON hIcon)
{
    ICONINFO info;
    if (!hIcon || !GetIconInfo(hIcon, &info))
        return false;
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return true;
}

inline HICON SharedErrorIcon()
{
    return LoadIconA(NULL, MAKEINTRESOURCEA(32513));
}

// Every property of a shortcut, read back through IShellLinkA.
struct LinkProperties {
    bool loaded;
    std::string path;
    std::string arguments;
    std::string workDir;
    std::string iconPath;
    int iconIndex;
    std::string description;
};

inline LinkProperties ReadLink(LPCSTR pszLinkPath)
{
    LinkProperties props = { false, "", "", "", "", -1, "" };
    HRESULT hrInit = CoInitialize(NULL);
    IShellLinkA* pLink = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&pLink)))) {
        IPersistFile* pFile = NULL;
        if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile)))) {
            WCHAR wide[MAX_PATH] = { 0 };
            MultiByteToWideChar(CP_ACP, 0, pszLinkPath, -1, wide, MAX_PATH);
            if (SUCCEEDED(pFile->Load(wide, STGM_READ))) {
                char text[1024] = { 0 };
                props.loaded = true;
                pLink->GetPath(text, sizeof(text), NULL, SLGP_RAWPATH);
                props.path = text;
                text[0] = '\0';
                pLink->GetArguments(text, sizeof(text));
                props.arguments = text;
                text[0] = '\0';
                pLink->GetWorkingDirectory(text, sizeof(text));
                props.workDir = text;
                text[0] = '\0';
                pLink->GetIconLocation(text, sizeof(text), &props.iconIndex);
                props.iconPath = text;
                text[0] = '\0';
                pLink->GetDescription(text, sizeof(text));
                props.description = text;
            }
            pFile->Release();
        }
        pLink->Release();
    }
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    return props;
}

// The wizard's pages by index.
inline void GoToPage(WizardDriver& wizard, int nIndex)
{
    PropSheet_SetCurSel(wizard.Sheet(), NULL, nIndex);
    PumpMessages();
}

// Lines of the entry list as shown.
inline std::vector<std::string> ListLines(HWND hList)
{
    std::vector<std::string> lines;
    int n = static_cast<int>(SendMessageA(hList, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[1024] = { 0 };
        SendMessageA(hList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

// Selects a line of the entry list as a click does: selection, then the notification.
inline void SelectLine(HWND hPage, int nLine)
{
    HWND hList = GetDlgItem(hPage, 1022);
    SendMessageA(hList, LB_SETCURSEL, nLine, 0);
    SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(1022, LBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
    PumpMessages();
}

inline DWORD GuiObjects(DWORD kind)
{
    return GetGuiResources(GetCurrentProcess(), kind);
}

// Tests that register in this program's folder: the tool's folder and the
// Startup folder are cleaned before and after each test, and a copy of this
// program (it carries an icon) stands ready to be registered.
class ToolFolderTest : public ::testing::Test
{
protected:
    explicit ToolFolderTest(LPCSTR pszProgramName) : m_pszProgramName(pszProgramName) {}

    void SetUp() override
    {
        CleanToolAndStartup();
        m_program = m_temp.Sub(m_pszProgramName);
        ASSERT_TRUE(CopySelfTo(m_program));
    }
    void TearDown() override { CleanToolAndStartup(); }

    LPCSTR m_pszProgramName;
    TempFolder m_temp;
    CString m_program;
};

} // namespace pagesb
