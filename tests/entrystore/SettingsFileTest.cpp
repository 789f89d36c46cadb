// The settings file through the platform's real profile functions: what a
// hand-written or older file loads as, and that every value the tool may save
// comes back byte for byte.
#include "CRegistEntry.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A readable name for a value in failure output: its length and its start.
std::string Show(const CString& value)
{
    std::string text(value.GetString());
    return "[" + text.substr(0, 24) + (text.size() > 24 ? "..." : "") + "] (" +
           std::to_string(text.size()) + " bytes)";
}

}  // namespace

TEST(SettingsFile, LoadsWhatTheFileHolds)
{
    const std::string long300(300, 'L');
    struct Case {
        const char* name;
        std::string content;          // "" = no file at all
        BOOL result;
        CString program;
        BOOL orgIcon;
    } cases[] = {
        { "no file", "", FALSE, "", FALSE },
        { "no orgicon key", "[data]\r\nprogram=C:\\a.exe\r\n", TRUE, "C:\\a.exe", FALSE },
        { "orgicon 2", "[data]\r\nprogram=p\r\norgicon=2\r\n", TRUE, "p", TRUE },
        { "orgicon abc", "[data]\r\nprogram=p\r\norgicon=abc\r\n", TRUE, "p", FALSE },
        { "orgicon 7x", "[data]\r\nprogram=p\r\norgicon=7x\r\n", TRUE, "p", TRUE },
        { "orgicon empty", "[data]\r\nprogram=p\r\norgicon=\r\n", TRUE, "p", FALSE },
        { "program empty", "[data]\r\nprogram=\r\norgicon=1\r\n", FALSE, "", TRUE },
        { "program absent", "[data]\r\ndispname=x\r\n", FALSE, "", FALSE },
        { "other section", "[other]\r\nprogram=p\r\n", FALSE, "", FALSE },
        { "300 bytes", "[data]\r\nprogram=" + long300 + "\r\n", TRUE,
          CString(long300.c_str(), 259), FALSE },
        { "cut inside 表", "[data]\r\nprogram=" + std::string(258, 'c') + "表\r\n", TRUE,
          CString(std::string(258, 'c').c_str()), FALSE },
        { "表 just fits", "[data]\r\nprogram=" + std::string(257, 'c') + "表x\r\n", TRUE,
          CString((std::string(257, 'c') + "表").c_str()), FALSE },
    };
    for (const Case& c : cases) {
        TempFolder folder("store_ini");
        // Written under one case of the name, read under the other: the
        // platform's file names are case-blind.
        if (!c.content.empty()) {
            ASSERT_TRUE(folder.WriteFile("tavro.ini", c.content)) << c.name;
        }
        CRegistEntry entry;
        entry.m_strIniPath = folder.Sub("Tavro.ini");
        entry.m_strDispName = "stale";
        entry.m_nIconIndex = 7;
        EXPECT_EQ(c.result, LoadEntry(&entry)) << c.name;
        EXPECT_STREQ(c.program, entry.m_strProgram) << c.name << ": " << Show(entry.m_strProgram);
        EXPECT_EQ(c.orgIcon, entry.m_bOrgIcon) << c.name;
        EXPECT_STREQ(folder.Sub("Tavro.ini"), entry.m_strIniPath) << c.name;
        EXPECT_EQ(7, entry.m_nIconIndex) << c.name;
        if (c.content.find("dispname") == std::string::npos) {
            EXPECT_STREQ("", entry.m_strDispName) << c.name;
        }
    }
}

TEST(SettingsFile, SavedValuesComeBackExactly)
{
    const std::string x259(259, 'x');
    const char* values[] = {
        "", "plain", "\"quoted\"", "'single'", "\"", "\"\"", "''", "\"a", "a\"", "'a\"",
        " lead", "trail ", "  both  ", " \"in blanks\" ", "\"a\" b \"c\"",
        "a;b", ";starts", "[section]", "a=b=c", "#x", "　全角空白　",
        "C:\\My Docs\\a.txt", "C:\\表\\ソ能予十\\", "表", "ﾊﾝｶｸ",
    };
    std::vector<std::string> all(values, values + sizeof(values) / sizeof(values[0]));
    all.push_back(x259);
    all.push_back(" " + std::string(258, 'x'));         // 259 bytes that need quotes
    all.push_back("'" + std::string(257, 'x') + "'");
    all.push_back(std::string(257, 'x') + "表");         // 259 bytes ending in 表
    TempFolder folder("store_rt");
    for (const std::string& value : all) {
        CRegistEntry saved;
        saved.m_strIniPath = folder.Sub("tavro.ini");
        saved.m_strDispName = value.c_str();
        saved.m_strProgram = value.c_str();
        saved.m_strCmdLine = value.c_str();
        saved.m_strWorkDir = value.c_str();
        saved.m_strIconPath = value.c_str();
        saved.m_bOrgIcon = 2;
        ASSERT_TRUE(SaveEntry(&saved)) << Show(value.c_str());
        CRegistEntry loaded;
        loaded.m_strIniPath = folder.Sub("Tavro.ini");
        loaded.m_bOrgIcon = FALSE;
        LoadEntry(&loaded);
        const CString* fields[] = { &loaded.m_strDispName, &loaded.m_strProgram,
                                    &loaded.m_strCmdLine, &loaded.m_strWorkDir,
                                    &loaded.m_strIconPath };
        for (const CString* field : fields)
            EXPECT_STREQ(value.c_str(), *field) << "saved " << Show(value.c_str())
                                                << " loaded " << Show(*field);
        EXPECT_TRUE(loaded.m_bOrgIcon) << Show(value.c_str());
    }
    // Longer values are stored whole and load as their first 259 bytes, never
    // ending in half a character.
    struct Long { std::string value; std::string loaded; } longs[] = {
        { std::string(300, 'y'), std::string(259, 'y') },
        { " " + std::string(299, 'y'), " " + std::string(258, 'y') },
        { std::string(258, 'y') + "表", std::string(258, 'y') },
        { std::string(225, 'y') + "ソソソソソソソソソソソソソソソソソソソ",
          std::string(225, 'y') + "ソソソソソソソソソソソソソソソソソ" },
    };
    for (const Long& l : longs) {
        CRegistEntry saved;
        saved.m_strIniPath = folder.Sub("tavro.ini");
        saved.m_strProgram = l.value.c_str();
        ASSERT_TRUE(SaveEntry(&saved));
        CRegistEntry loaded;
        loaded.m_strIniPath = saved.m_strIniPath;
        LoadEntry(&loaded);
        EXPECT_STREQ(l.loaded.c_str(), loaded.m_strProgram) << Show(l.value.c_str());
    }
}

TEST(SettingsFile, FileLayout)
{
    TempFolder folder("store_layout");
    CRegistEntry empty;
    empty.m_strIniPath = folder.Sub("tavro.ini");
    ASSERT_TRUE(SaveEntry(&empty));
    std::string text = ReadWholeFile(folder.Sub("tavro.ini"));
    // All six keys, empty ones included, in the order the commit writes them.
    const char* keys[] = { "dispname=\r\n", "program=\r\n", "cmdline=\r\n", "iconpath=\r\n",
                           "orgicon=0\r\n", "workdir=\r\n" };
    size_t at = text.find("[data]");
    ASSERT_NE(std::string::npos, at) << text;
    for (const char* key : keys) {
        size_t next = text.find(key, at);
        EXPECT_NE(std::string::npos, next) << key << " in\n" << text;
        at = next == std::string::npos ? at : next;
    }
    CRegistEntry loaded;
    loaded.m_strIniPath = empty.m_strIniPath;
    EXPECT_FALSE(LoadEntry(&loaded));
    EXPECT_STREQ("", loaded.m_strDispName);
    EXPECT_FALSE(loaded.m_bOrgIcon);

    // Values that read back unchanged are written as they are, so files stay
    // readable by anything that reads them plainly; the others get one pair
    // of quotes.
    CRegistEntry entry;
    entry.m_strIniPath = empty.m_strIniPath;
    entry.m_strDispName = "a;b \"c\"";
    entry.m_strCmdLine = " -x";
    entry.m_strIconPath = "'i'";
    entry.m_bOrgIcon = 2;
    ASSERT_TRUE(SaveEntry(&entry));
    text = ReadWholeFile(entry.m_strIniPath);
    EXPECT_NE(std::string::npos, text.find("dispname=a;b \"c\"\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("cmdline=\" -x\"\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("iconpath=\"'i'\"\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("orgicon=1\r\n")) << text;
}

TEST(SettingsFile, RefusedSavesWriteNothing)
{
    TempFolder folder("store_refuse");
    struct Case { const char* name; const char* field; CString iniPath; } cases[] = {
        { "CR LF", "a\r\n[other]", folder.Sub("tavro.ini") },
        { "tab", "a\tb", folder.Sub("tavro.ini") },
        { "escape", "\x1b", folder.Sub("tavro.ini") },
        { "long ini path", "ok", folder.Sub(std::string(260, 'p').c_str()) },
        { "empty ini path", "ok", "" },
    };
    for (const Case& c : cases) {
        CRegistEntry entry;
        entry.m_strIniPath = c.iniPath;
        entry.m_strProgram = "C:\\p.exe";
        entry.m_strWorkDir = c.field;
        EXPECT_FALSE(SaveEntry(&entry)) << c.name;
        EXPECT_FALSE(PathExists(folder.Sub("tavro.ini"))) << c.name;
    }
    CRegistEntry missingFolder;
    missingFolder.m_strIniPath = folder.Sub("no such folder\\tavro.ini");
    EXPECT_FALSE(SaveEntry(&missingFolder));
}

TEST(RegistEntry, ClearAndAssignment)
{
    CRegistEntry source;
    source.m_strIniPath = "C:\\e\\Tavro.ini";
    source.m_strDispName = "表示";
    source.m_strIconPath = "C:\\i.ico";
    source.m_bOrgIcon = TRUE;
    source.m_nIconIndex = 3;
    CRegistEntry target;
    target.m_nIconIndex = 9;
    target = source;
    EXPECT_STREQ("C:\\e\\Tavro.ini", target.m_strIniPath);
    EXPECT_STREQ("表示", target.m_strDispName);
    EXPECT_TRUE(target.m_bOrgIcon);
    EXPECT_EQ(9, target.m_nIconIndex);

    target.Clear();
    EXPECT_STREQ("", target.m_strIniPath);
    EXPECT_STREQ("", target.m_strIconPath);
    EXPECT_FALSE(target.m_bOrgIcon);
    EXPECT_EQ(9, target.m_nIconIndex);
}
