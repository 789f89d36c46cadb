// Launching the registered file through the shell: the work folder becomes
// current, every shell result of 32 or less is reported with its number, and
// real starts, missing files and documents without association give the
// results the user sees.
#include "CTrayDlg.h"
#include "TavroVersion.h"
#include "CWinApp.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

namespace {

std::string ExpectedMessage(int code)
{
    char text[256];
    std::snprintf(text, sizeof(text),
                  "Error %d が発生したため、プログラムを起動できません\n"
                  "エラーの説明は附属ドキュメントをご覧ください", code);
    return text;
}

CString CurrentDirectory()
{
    char path[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, path);
    return path;
}

// Puts the process's current folder back after a test that launches.
class LaunchTest : public ::testing::Test
{
protected:
    LaunchTest() : m_saved(CurrentDirectory()) {}
    ~LaunchTest() override { SetCurrentDirectoryA(m_saved); }

    CString m_saved;
    TempFolder m_folder;
};

}  // namespace

TEST(CTrayDlgReport, EveryResultUpToThirtyTwoIsAFailure)
{
    MessageBoxRecorder boxes;
    for (int code = 0; code <= 32; ++code) {
        boxes.Clear();
        EXPECT_EQ(1, CTrayDlg::ReportLaunchError(code)) << code;
        ASSERT_EQ(1u, boxes.Count()) << code;
        const MessageBoxRecorder::Box& box = boxes.Boxes()[0];
        EXPECT_EQ(ExpectedMessage(code), box.text);
        EXPECT_EQ("Tavro " TAVRO_VERSION, box.caption) << code;
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.type) << code;
        EXPECT_EQ(NULL, box.hOwner) << code;   // no window yet: none, never the desktop
    }

    // With the resident's window up, the box belongs to that hidden window.
    CWinApp app;
    CWnd owner;
    owner.m_hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    app.m_pMainWnd = &owner;
    boxes.Clear();
    CTrayDlg::ReportLaunchError(2);
    app.m_pMainWnd = NULL;
    DestroyWindow(owner.Detach());
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_NE(static_cast<HWND>(NULL), boxes.Boxes()[0].hOwner);
    EXPECT_NE(GetDesktopWindow(), boxes.Boxes()[0].hOwner);

    const int successes[] = { 33, 42, 1000, INT_MAX };
    boxes.Clear();
    for (int code : successes)
        EXPECT_EQ(0, CTrayDlg::ReportLaunchError(code)) << code;
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(LaunchTest, RealProgramStartsInTheWorkFolder)
{
    // A work folder whose name holds 0x5C trail bytes, on another drive than
    // the current one.
    ASSERT_TRUE(m_folder.MakeFolder("作業表ソ"));
    CString workDir = m_folder.Sub("作業表ソ");
    ASSERT_TRUE(SetCurrentDirectoryA("Z:\\"));
    char system[MAX_PATH] = {0};
    GetSystemDirectoryA(system, MAX_PATH);

    MessageBoxRecorder boxes;
    CTrayDlg dlg("");
    dlg.m_strProgram = CString(system) + "\\cmd.exe";
    dlg.m_strCmdLine = "/c echo started> started.txt";
    dlg.m_strWorkDir = workDir;
    EXPECT_EQ(0, dlg.LaunchProgram());
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_GT(dlg.m_nLaunchResult, 32);

    // The parameters reached the program, and it ran in the work folder.
    CString marker = workDir + "\\started.txt";
    EXPECT_TRUE(PumpUntil([&] { return ReadWholeFile(marker).find("started") == 0; }, 15000))
        << "no output from the launched program in " << static_cast<LPCSTR>(workDir);
    // The work folder went to the shell only: the resident's own current
    // folder is untouched, so it never holds the work folder open.
    EXPECT_EQ(0, lstrcmpiA("Z:\\", CurrentDirectory())) << static_cast<LPCSTR>(CurrentDirectory());
}

TEST_F(LaunchTest, EmptyWorkFolderKeepsTheCurrentFolder)
{
    ASSERT_TRUE(SetCurrentDirectoryA(m_folder.Path()));
    MessageBoxRecorder boxes;
    CTrayDlg dlg("");
    dlg.m_strProgram = m_folder.Sub("gone.exe");
    EXPECT_EQ(1, dlg.LaunchProgram());
    EXPECT_EQ(0, lstrcmpiA(m_folder.Path(), CurrentDirectory()));
}

TEST_F(LaunchTest, FailuresShowTheShellsNumber)
{
    ASSERT_TRUE(m_folder.WriteFile("notes.tavronoassoc", "x"));
    struct Case { const char* name; CString program; CString workDir; int code; } cases[] = {
        { "missing file", m_folder.Sub("gone.exe"), "", 2 },
        { "missing file, missing work folder", m_folder.Sub("gone.exe"), m_folder.Sub("nowhere"), 2 },
        { "document without association", m_folder.Sub("notes.tavronoassoc"), m_folder.Path(), 31 },
        // No program at all: the shell is not asked to open "nothing".
        { "empty entry", "", "", 2 },
    };
    for (const auto& c : cases) {
        MessageBoxRecorder boxes;
        CTrayDlg dlg("");
        dlg.m_strProgram = c.program;
        dlg.m_strWorkDir = c.workDir;
        EXPECT_EQ(1, dlg.LaunchProgram()) << c.name;
        EXPECT_EQ(c.code, dlg.m_nLaunchResult) << c.name;
        ASSERT_EQ(1u, boxes.Count()) << c.name;
        EXPECT_EQ(ExpectedMessage(c.code), boxes.LastText()) << c.name;
    }
}
