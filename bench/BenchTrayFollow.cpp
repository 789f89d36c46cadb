// The tray following the tool: the confirmation page's own steps on a
// registration of notepad.exe beside this program (TavroCore.Exe must lie
// here too). run_bench.py times each step from the tick printed here to the
// icon's change in the explorer's +systray trace (same clock). One step per call:
//   bench_tray_follow new <display name>   commit, and the new resident starts
//   bench_tray_follow edit <display name>  commit in edit mode: the running resident reloads
//   bench_tray_follow reload               the reload request alone, nothing written
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

int Reload()
{
    CResidentChannel channel(FollowLayout().SettingsPath());
    DWORD dwTick = GetTickCount();
    int nTaken = channel.NotifyReload();
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

}  // namespace

int main(int argc, char** argv)
{
    AfxSetMessageBoxHook(PrintBox);
    int rc = 2;
    if (argc == 3 && std::strcmp(argv[1], "new") == 0)
        rc = Commit(argv[2], TRUE);
    else if (argc == 3 && std::strcmp(argv[1], "edit") == 0)
        rc = Commit(argv[2], FALSE);
    else if (argc == 2 && std::strcmp(argv[1], "reload") == 0)
        rc = Reload();
    else if (argc == 2 && std::strcmp(argv[1], "delete") == 0)
        rc = Delete();
    else
        std::fprintf(stderr, "usage: bench_tray_follow new|edit <name> | reload | delete\n");
    return rc == 0 && BoxCount() == 0 ? 0 : 1;
}
