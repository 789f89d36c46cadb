// One hundred registrations and removals through the real wizard, one after
// the other in one process: every cycle must leave the tool's folder and the
// Startup folder as it found them, and the process's GDI and USER objects
// must end where they began.
#include "SoakSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace soak;

namespace {

const int kCycles = 100;

class RegisterCycleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RemoveEntryTraces("soakCycle.exe");
        RemoveEntryTraces("soakCycle.ini");
        m_program = m_temp.Sub("soakCycle.exe");
        ASSERT_TRUE(CopySelf(m_program));
        // A document the shell opens with a program: its registration takes
        // the associated program's icon, another path through the pages.
        m_document = m_temp.Sub("soakCycle.ini");
        ASSERT_TRUE(m_temp.WriteFile("soakCycle.ini", "[cycle]\r\n"));
        // A small resident copy to be copied into every entry folder.
        ASSERT_TRUE(m_temp.WriteFile("core.bin", "resident copy"));
        ASSERT_TRUE(CopyFileA(m_temp.Sub("core.bin"), ToolDir() + "TavroCre.Exe", FALSE));
    }
    void TearDown() override
    {
        RemoveEntryTraces("soakCycle.exe");
        RemoveEntryTraces("soakCycle.ini");
        DeleteFileA(ToolDir() + "TavroCre.Exe");
    }

    TempFolder m_temp;
    CString m_program;
    CString m_document;
};

TEST_F(RegisterCycleTest, HundredRegistrationsAndRemovalsLeaveNothingBehind)
{
    const std::vector<std::string> toolBefore = Snapshot(ToolDir());
    const std::vector<std::string> startupBefore = Snapshot(StartupDir());
    GuiCounts before = { 0, 0, false };
    DWORD start = GetTickCount();

    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SCOPED_TRACE(testing::Message() << "cycle " << cycle);
        // Mostly the program with Startup on; every third cycle a document,
        // every fourth without Startup, every twenty-fifth through the file dialog.
        bool bDocument = cycle % 3 == 2;
        RegisterOptions options = { cycle % 4 != 3, cycle % 25 == 0 };
        CString program = bDocument ? m_document : m_program;
        CString fileName = bDocument ? "soakCycle.ini" : "soakCycle.exe";

        ASSERT_EQ("", RegisterThroughWizard(program, options));
        CString folder = ToolDir() + fileName;
        // Settings file, copy and entry shortcut, and the Startup shortcut when asked for.
        ASSERT_EQ(3u, Snapshot(folder).size()) << SnapshotDiff(std::vector<std::string>(), Snapshot(folder));
        ASSERT_EQ(options.bStartup, PathExists(StartupDir() + "\\" + fileName + ".lnk") != FALSE);

        ASSERT_EQ("", DeleteThroughWizard(fileName));
        std::vector<std::string> toolNow = Snapshot(ToolDir());
        ASSERT_EQ(toolBefore, toolNow) << SnapshotDiff(toolBefore, toolNow);
        std::vector<std::string> startupNow = Snapshot(StartupDir());
        ASSERT_EQ(startupBefore, startupNow) << SnapshotDiff(startupBefore, startupNow);

        // The first cycles load what a process keeps for good (window classes,
        // fonts, COM, the file dialog's caches); the count starts after them.
        if (cycle == 2)
            before = CountGuiObjects();
    }
    GuiCounts after = CountGuiObjects();
    std::printf("%d cycles in %lu ms; GDI objects %lu -> %lu, USER objects %lu -> %lu (%s)\n", kCycles,
                GetTickCount() - start, before.gdi, after.gdi, before.user, after.user,
                after.bFromPlatform ? "GetGuiResources" : "handle census");
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
}

// The counts the cycle test relies on see single objects come and go.
TEST(GuiCountTest, CountsFollowSingleObjects)
{
    struct Objects {
        HBRUSH hBrush;
        HICON hIcon;
        HWND hWnd;
        HMENU hMenu;
        void Make()
        {
            hBrush = CreateSolidBrush(RGB(1, 2, 3));
            hIcon = CopyIcon(LoadIconA(NULL, MAKEINTRESOURCEA(32513)));
            hWnd = CreateWindowA("STATIC", "count", 0, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
            hMenu = CreateMenu();
        }
        void Free()
        {
            DestroyMenu(hMenu);
            DestroyWindow(hWnd);
            DestroyIcon(hIcon);
            DeleteObject(hBrush);
        }
    } objects;
    // Once first: the shared icon, the window class and its font stay loaded.
    objects.Make();
    objects.Free();
    GuiCounts before = CountGuiObjects();
    objects.Make();
    GuiCounts during = CountGuiObjects();
    EXPECT_GE(during.gdi, before.gdi + 1);
    EXPECT_GE(during.user, before.user + 3);
    objects.Free();
    GuiCounts after = CountGuiObjects();
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
}

} // namespace
