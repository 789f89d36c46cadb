// The tray following the tool: the confirmation page's own steps on a
// registration of notepad.exe beside this program (TavroCore.Exe must lie
// here too). run_bench.py times each step from the tick printed here to the
// icon's change in the explorer's +systray trace (same clock). One step per call:
//   bench_tray_follow new <display name>   commit, and the new resident starts
//   bench_tray_follow edit <display name>  commit in edit mode: the running resident reloads
//   bench_tray_follow reload <display name> the settings file written and the reload request alone
//   bench_tray_follow delete               removal, and the resident ends
// Each prints "tick <ms> done <ms>": GetTickCount when the user's Finish
// would start the step, and when the tool's step returned.
#include "AfxMessageBox.h"
#include "BenchSupport.h"
#include "CRegistEntry.h"
#include "CRegistLayout.h"
#include "CRegistStore.h"
#include "CResidentChannel.h"
#include "CTrayNotice.h"
#include "PathUtil.h"

#include <cstdio>
#include <cstring>

namespace {

CRegistLayout FollowLayout()
{
    return CRegistLayout(GetModuleDir(), "notepad.exe");
}

// The wizard's commit: the store writes, then the tray notice follows.
int Commit(const char* pszDispName, BOOL bNew)
{
    CRegistLayout layout = FollowLayout();
    CRegistEntry entry;
    entry.m_strDispName = pszDispName;
    entry.m_strProgram = "C:\\windows\\system32\\notepad.exe";
    CTrayNotice notice;
    DWORD dwTick = GetTickCount();
    if (!CRegistStore::Commit(entry, layout, FALSE).Succeeded())
        return 1;
    notice.AfterCommit(entry, layout, bNew);
    std::printf("tick %lu done %lu\n", dwTick, GetTickCount());
    return notice.m_nOutcome == (bNew ? CTrayNotice::OutcomeShown : CTrayNotice::OutcomeUpdated) ? 0 : 1;
}

// The least an edit does: the settings file written, the reload request sent.
int Reload(const char* pszDispName)
{
    CRegistEntry entry;
    entry.m_strIniPath = FollowLayout().SettingsPath();
    entry.m_strDispName = pszDispName;
    entry.m_strProgram = "C:\\windows\\system32\\notepad.exe";
    CResidentChannel channel(entry.m_strIniPath);
    DWORD dwTick = GetTickCount();
    int nTaken = SaveEntry(&entry) ? channel.NotifyReload() : 0;
    std::printf("tick %lu done %lu\n", dwTick, GetTickCount());
    return nTaken == 1 ? 0 : 1;
}

// The wizard's removal: the residents found while the settings file exists,
// told to end once the folder is gone.
int Delete()
{
    CRegistLayout layout = FollowLayout();
    CTrayNotice notice;
    DWORD dwTick = GetTickCount();
    CResidentChannel residents(layout.SettingsPath());
    if (!CRegistStore::Remove(layout.EntryFolder(), "", layout.SettingsPath()).Succeeded())
        return 1;
    notice.AfterRemoval(residents);
    std::printf("tick %lu done %lu\n", dwTick, GetTickCount());
    return notice.m_nOutcome == CTrayNotice::OutcomeEnded ? 0 : 1;
}

// In the tool the wizard's windows are up when the user finishes: a window
// of this process first, so that no step pays for loading Wine's display
// driver, which the first window of a process does.
void ShowUpLikeTheWizard()
{
    HWND hWnd = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    if (hWnd)
        DestroyWindow(hWnd);
}

}  // namespace

int main(int argc, char** argv)
{
    AfxSetMessageBoxHook(PrintBox);
    ShowUpLikeTheWizard();
    int rc = 2;
    if (argc == 3 && std::strcmp(argv[1], "new") == 0)
        rc = Commit(argv[2], TRUE);
    else if (argc == 3 && std::strcmp(argv[1], "edit") == 0)
        rc = Commit(argv[2], FALSE);
    else if (argc == 3 && std::strcmp(argv[1], "reload") == 0)
        rc = Reload(argv[2]);
    else if (argc == 2 && std::strcmp(argv[1], "delete") == 0)
        rc = Delete();
    else
        std::fprintf(stderr, "usage: bench_tray_follow new|edit|reload <name> | delete\n");
    return rc == 0 && BoxCount() == 0 ? 0 : 1;
}
