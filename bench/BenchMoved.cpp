// Start-up check for a moved tool folder, in-process: the tool's look at the
// registrations beside this program, against a bare loop that finds the same
// folders and reads the target and arguments of each entry shortcut through
// one link object. Lays out the registrations itself, written by the commit's
// own shortcut writer. Prints one line per measurement: "<name> <milliseconds>".
//   bench_moved <registrations> <repetitions>
#include "AfxMessageBox.h"
#include "BenchSupport.h"
#include "CMovedFolderRepair.h"
#include "CRegistEntry.h"
#include "CRegistLayout.h"
#include "CResidentLink.h"
#include "PathUtil.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool LayOut(const CString& dir, int nEntries)
{
    for (int i = 1; i <= nEntries; ++i) {
        CString name;
        name.Format("App%03d.exe", i);
        CRegistLayout layout(dir, name);
        CreateDirectoryA(layout.EntryFolder(), NULL);
        CRegistEntry entry;
        entry.m_strIniPath = layout.SettingsPath();
        entry.m_strDispName = name;
        entry.m_strProgram = "C:\\windows\\system32\\notepad.exe";
        if (!SaveEntry(&entry) || CResidentLink::Write(layout.EntryLinkPath(), entry, layout) != 0)
            return false;
    }
    return true;
}

// The least the check needs: each listed subfolder's shortcut loaded, its
// target and arguments read.
int BareReadLinks(const char* pszDir)
{
    IShellLinkA* pLink = NULL;
    IPersistFile* pFile = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&pLink))))
        return -1;
    pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile));
    char pattern[MAX_PATH];
    std::snprintf(pattern, sizeof(pattern), "%s*", pszDir);
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(pattern, &fd);
    int n = 0;
    while (pFile && hFind != INVALID_HANDLE_VALUE) {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && fd.cFileName[0] != '.') {
            char link[MAX_PATH];
            WCHAR wide[MAX_PATH];
            std::snprintf(link, sizeof(link), "%s%s\\%s.lnk", pszDir, fd.cFileName, fd.cFileName);
            MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH);
            char path[MAX_PATH], args[1024];
            if (SUCCEEDED(pFile->Load(wide, STGM_READ)) &&
                SUCCEEDED(pLink->GetPath(path, MAX_PATH, NULL, SLGP_RAWPATH)) &&
                SUCCEEDED(pLink->GetArguments(args, sizeof(args))))
                ++n;
        }
        if (!FindNextFileA(hFind, &fd))
            break;
    }
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
    if (pFile)
        pFile->Release();
    pLink->Release();
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    int nEntries = argc > 1 ? std::atoi(argv[1]) : 100;
    int nReps = argc > 2 ? std::atoi(argv[2]) : 7;
    AfxSetMessageBoxHook(PrintBox);
    CString dir = GetModuleDir();
    CoInitialize(NULL);
    if (!LayOut(dir, nEntries)) {
        std::fprintf(stderr, "the registrations could not be laid out\n");
        return 1;
    }
    CoUninitialize();
    // At its start the tool has no COM of its own: neither side gets it from here.
    auto bare = [&dir]() {
        CoInitialize(NULL);
        int n = BareReadLinks(dir);
        CoUninitialize();
        return n;
    };
    auto check = []() {
        CMovedFolderRepair repair;
        return repair.FindStale();
    };
    // The first round loads the shell's link code and fills the file cache; it is not counted.
    bare();
    check();
    for (int r = 0; r < nReps; ++r) {
        int nRead = 0, nStale = 0;
        double bareMs = 0, checkMs = 0;
        // Alternating order, so that neither side always runs on the other's warm caches.
        for (int step = 0; step < 2; ++step) {
            double t0 = Now();
            if ((step + r) % 2 == 0)
                nRead = bare(), bareMs = Now() - t0;
            else
                nStale = check(), checkMs = Now() - t0;
        }
        std::printf("bare %.3f\ncheck %.3f\n", bareMs, checkMs);
        if (nRead != nEntries || nStale != 0) {
            std::fprintf(stderr, "read %d of %d shortcuts, %d stale\n", nRead, nEntries, nStale);
            return 1;
        }
    }
    return BoxCount() == 0 ? 0 : 1;
}
