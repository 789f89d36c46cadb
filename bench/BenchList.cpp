// Entry list benchmark, in-process: the delete wizard's list page filled from
// the registrations beside this program, against a bare loop that finds the
// same folders and reads the six keys of each settings file. Prints one line
// per measurement: "<name> <milliseconds>".
//   bench_list <repetitions>
#include "AfxMessageBox.h"
#include "BenchSupport.h"
#include "CEditFirst.h"
#include "CRegistSheet.h"
#include "PathUtil.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The least a list of the registrations needs: each subfolder that is no
// hidden, system or temporary one, and the six values of its settings file.
int BareReadEntries(const char* pszDir)
{
    static const char* const kKeys[] = { "dispname", "program", "cmdline", "workdir", "iconpath", "orgicon" };
    char pattern[MAX_PATH];
    std::snprintf(pattern, sizeof(pattern), "%s*", pszDir);
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(pattern, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do {
        const DWORD dwSkip = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (fd.dwFileAttributes & dwSkip)
            || lstrcmpA(fd.cFileName, ".") == 0 || lstrcmpA(fd.cFileName, "..") == 0)
            continue;
        char ini[MAX_PATH];
        std::snprintf(ini, sizeof(ini), "%s%s\\Tavro.ini", pszDir, fd.cFileName);
        char value[4 * MAX_PATH];
        for (const char* pszKey : kKeys)
            GetPrivateProfileStringA("data", pszKey, "", value, sizeof(value), ini);
        ++n;
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    int nReps = argc > 1 ? std::atoi(argv[1]) : 5;
    AfxSetMessageBoxHook(PrintBox);
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES };
    InitCommonControlsEx(&icc);
    CString dir = GetModuleDir();

    for (int r = 0; r < nReps; ++r) {
        double t0 = Now();
        int nBare = BareReadEntries(dir);
        double t1 = Now();
        std::printf("bare %.3f\n", t1 - t0);

        // The sheet in delete mode opens on the list page, which fills itself
        // when it becomes active.
        CRegistSheet sheet(RegistDelete, NULL);
        t0 = Now();
        BOOL bCreated = sheet.Create();
        Pump();
        t1 = Now();
        if (!bCreated) {
            std::fprintf(stderr, "the sheet was not created\n");
            return 1;
        }
        std::printf("open %.3f\n", t1 - t0);
        // The fill alone, as every later activation of the page does it.
        t0 = Now();
        int nListed = sheet.m_pEditFirst->FillEntryList();
        t1 = Now();
        std::printf("fill %.3f\n", t1 - t0);
        int nLines = sheet.m_pEditFirst->m_listEntries.GetCount();

        // Phases, to tell where the time goes: the records read alone, and
        // the fill with the visible list box's drawing switched off.
        t0 = Now();
        sheet.m_pEditFirst->ReadEntries();
        t1 = Now();
        std::printf("read %.3f\n", t1 - t0);
        HWND hList = sheet.m_pEditFirst->m_listEntries.m_hWnd;
        t0 = Now();
        ::SendMessageA(hList, WM_SETREDRAW, FALSE, 0);
        sheet.m_pEditFirst->FillEntryList();
        ::SendMessageA(hList, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(hList, NULL, TRUE);
        Pump();
        t1 = Now();
        std::printf("fill_noredraw %.3f\n", t1 - t0);
        sheet.DestroyWindow();
        Pump();
        if (nListed != nBare || nLines != nBare) {
            std::fprintf(stderr, "listed %d, lines %d, bare loop found %d\n", nListed, nLines, nBare);
            return 1;
        }
        std::printf("entries %d\n", nListed);
    }
    return BoxCount() == 0 ? 0 : 1;
}
