// The resident's command line: everything after the first "/INI=" is the
// settings-file path, exactly as written; without the keyword it refuses to start.
#include "CTavroCoreApp.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(CTavroCoreApp, PathIsEverythingAfterTheFirstKeyword)
{
    struct Case { const char* line; const char* path; } cases[] = {
        // Spaces need no quotes and stay in; nothing is trimmed.
        { "\"C:\\Tavro\\TavroCore.Exe\" /INI=C:\\Tavro\\My Prog\\Tavro.ini",
          "C:\\Tavro\\My Prog\\Tavro.ini" },
        { "TavroCore.Exe /INI= C:\\a.ini ", " C:\\a.ini " },
        // Quotes are part of the path.
        { "TavroCore.Exe /INI=\"C:\\a b\\Tavro.ini\"", "\"C:\\a b\\Tavro.ini\"" },
        // The first keyword counts; a second one belongs to the path.
        { "TavroCore.Exe /INI=C:\\a.ini /INI=C:\\b.ini", "C:\\a.ini /INI=C:\\b.ini" },
        // Arguments after the path become part of it.
        { "TavroCore.Exe /INI=C:\\a.ini -debug", "C:\\a.ini -debug" },
        { "TavroCore.Exe /INI=", "" },
        { "/INI=x", "x" },
        // 表 and ソ end in 0x5C: the path is taken byte for byte.
        { "TavroCore.Exe /INI=C:\\表\\ソ\\Tavro.ini", "C:\\表\\ソ\\Tavro.ini" },
        // A keyword right after a double-byte character is still found.
        { "C:\\表/INI=C:\\能\\x.ini", "C:\\能\\x.ini" },
        // 0x81 is a lead byte: its '/' is a trail byte, the first real keyword follows.
        { "x\x81/INI=C:\\a.ini /INI=C:\\b.ini", "C:\\b.ini" },
    };
    for (const auto& c : cases) {
        CString path("unchanged");
        ASSERT_TRUE(CTavroCoreApp::ParseCommandLine(c.line, path)) << c.line;
        EXPECT_STREQ(c.path, path) << c.line;
    }
}

TEST(CTavroCoreApp, LinesWithoutTheExactKeywordAreRefused)
{
    const char* lines[] = {
        "TavroCore.Exe",
        "",
        "TavroCore.Exe /ini=C:\\a.ini",
        "TavroCore.Exe /Ini=C:\\a.ini",
        "TavroCore.Exe -INI=C:\\a.ini",
        "TavroCore.Exe /INI C:\\a.ini",
        // The only "/INI=" starts on the trail byte of 0x81 0x2F.
        "TavroCore.Exe \x81/INI=C:\\a.ini",
    };
    for (const char* line : lines) {
        CString path("unchanged");
        EXPECT_FALSE(CTavroCoreApp::ParseCommandLine(line, path)) << line;
        EXPECT_STREQ("unchanged", path) << line;
    }
}

TEST(CTavroCoreApp, DirectStartShowsTheMessageAndMakesNoWindow)
{
    // The test program's own command line carries no "/INI=".
    ASSERT_EQ(nullptr, strstr(GetCommandLineA(), "/INI="));
    MessageBoxRecorder boxes;
    CTavroCoreApp app;
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("TavroCore.Exeを直接起動することは出来ません．", boxes.LastText());
    EXPECT_EQ(std::string(AfxGetAppName()), boxes.Boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.Boxes()[0].type);
    EXPECT_EQ(nullptr, app.m_pMainWnd);
}

// Started from its shortcut, the resident begins in the entry folder; it
// leaves it at once for its own folder, so the entry folder can be removed.
TEST(CTavroCoreApp, OwnFolderBecomesTheCurrentFolder)
{
    char saved[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA("Z:\\"));
    EXPECT_TRUE(CTavroCoreApp::MakeOwnFolderCurrent());
    char current[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, current);
    char module[MAX_PATH] = {0};
    GetModuleFileNameA(NULL, module, MAX_PATH);
    *strrchr(module, '\\') = '\0';
    EXPECT_EQ(0, lstrcmpiA(module, current)) << current;
    SetCurrentDirectoryA(saved);
}
