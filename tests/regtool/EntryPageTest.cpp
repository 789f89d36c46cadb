// The confirmation page in a real modeless wizard: what a commit writes
// (entry folder, settings file, copy, both shortcuts with every property),
// the commit's refusals and failures, and the removal of a registration.
// The tool's folder is the test program's folder; Startup is the prefix's.
#include "CEntryPage.h"
#include "CMovedFolderRepair.h"
#include "CResidentLink.h"
#include "CWinApp.h"
#include "EntryPageTestSupport.h"

#include <gtest/gtest.h>

using namespace pagesb;

namespace {

const char kOverwrite[] = "同じファイル名の別のプログラムが既に登録されています．\n上書きしますか？";
const char kNoFolder[] = "サブディレクトリが作成出来ません．";
const char kNoIni[] = "設定ファイルに書き込めません．";
const char kNoLink[] = "ショートカットが作成出来ません．";
const char kNoStartup[] = "スタートアップに登録できませんでした";
const char kTooLong[] = "ファイルのパスが長すぎます．";
const char kNoFileName[] = "登録するファイルが指定されていません．";
const char kResidentMissing[] = "TavroCore.Exeが見つかりません．\n"
                                "zipファイルを展開してから、展開したフォルダのTavro.exeを起動してください．";
const char kNotRemovable[] = "この登録のフォルダは削除できません．";
const char kStartupLocked[] = "スタートアップのショートカットが削除出来ません. Error = ";
const char kReadOnly[] = "読み取り専用のファイルがあるため、削除出来ません．\n";
const char kFolderHeld[] = "フォルダが他のプログラムで使用中のため、削除出来ません. Error = 32\n";
const char kItemHeld[] = "次のファイルまたはフォルダを削除出来ないため、何も削除しませんでした. Error = 32\n";
const char kStartupSkipped[] = "スタートアップには登録しませんでした．";
const char kMoved[] = "Tavroのフォルダが移動されたため、2件の登録のショートカットが古い場所を指しています．\n"
                      "新しい場所に合わせて更新しますか？";

// A copy of this program in the folder, made the application's module: the
// tool's folder is then that folder, as for a tool started from there.
class ToolCopy
{
public:
    explicit ToolCopy(const CString& folder)
    {
        CreateDirectoryA(folder, NULL);
        EXPECT_TRUE(CopySelfTo(folder + "\\tvbTool.exe"));
        // The resident's stand-in, as beside the test program (the tool registers nothing without one).
        CloseHandle(CreateFileA(folder + "\\TavroCore.Exe", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        m_hModule = LoadLibraryExA(folder + "\\tvbTool.exe", NULL, DONT_RESOLVE_DLL_REFERENCES);
        m_app.m_hInstance = m_hModule;
    }
    ~ToolCopy() { FreeLibrary(m_hModule); }

private:
    CWinApp m_app;
    HMODULE m_hModule;
};

class EntryPageTest : public ToolFolderTest
{
protected:
    EntryPageTest() : ToolFolderTest("tvbCalc.exe") {}

    CRegistEntry Entry(LPCSTR program, LPCSTR dispName) const
    {
        CRegistEntry entry;
        entry.m_strProgram = program;
        entry.m_strDispName = dispName;
        return entry;
    }

    // Starts a new-registration wizard and shows the confirmation page for
    // the entry, as the editing page would have left it.
    void ShowConfirmation(WizardDriver& wizard, CRegistSheet& sheet, const CRegistEntry& entry)
    {
        ASSERT_TRUE(wizard.Start());
        sheet.m_entry = entry;
        GoToPage(wizard, 2);
        ASSERT_EQ(131u, wizard.CurrentTemplate());
    }

    void SetStartupBox(WizardDriver& wizard, bool bChecked)
    {
        SendMessageA(wizard.PageControl(1021), BM_SETCHECK, bChecked ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    // A whole commit through the page; fails the test unless the completion page follows.
    void Register(const CRegistEntry& entry, bool bStartup)
    {
        CRegistSheet sheet(RegistNew, NULL);
        WizardDriver wizard(&sheet);
        ShowConfirmation(wizard, sheet, entry);
        SetStartupBox(wizard, bStartup);
        ASSERT_TRUE(wizard.Next());
        ASSERT_EQ(132u, wizard.CurrentTemplate());
    }

    // Starts a delete wizard and moves to the confirmation page for the list's line.
    void ShowRemoval(WizardDriver& wizard, int nLine)
    {
        ASSERT_TRUE(wizard.Start());
        SelectLine(wizard.CurrentPage(), nLine);
        ASSERT_TRUE(wizard.Next());
        ASSERT_EQ(131u, wizard.CurrentTemplate());
    }

    static void ExpectLink(const CString& linkPath, const CString& iniPath, const std::string& workDir,
                           const std::string& iconPath, const std::string& description)
    {
        SCOPED_TRACE(linkPath.GetString());
        LinkProperties link = ReadLink(linkPath);
        ASSERT_TRUE(link.loaded);
        EXPECT_EQ(std::string(ToolDir()) + "TavroCore.Exe", link.path);
        EXPECT_EQ(std::string("/INI=") + iniPath.GetString(), link.arguments);
        EXPECT_EQ(workDir, link.workDir);
        EXPECT_EQ(iconPath, link.iconPath);
        EXPECT_EQ(0, link.iconIndex);
        EXPECT_EQ(description, link.description);
    }

};

TEST_F(EntryPageTest, NewRegistrationWritesTheWholeLayout)
{
    ASSERT_TRUE(m_temp.WriteFile("core.bin", "resident copy"));
    ASSERT_TRUE(CopyFileA(m_temp.Sub("core.bin"), ToolDir() + "TavroCre.Exe", FALSE));
    CRegistEntry entry = Entry(m_program, "電卓 表示");
    entry.m_strCmdLine = "-x 予定";

    MessageBoxRecorder boxes;
    CRegistSheet sheet(RegistNew, NULL);
    WizardDriver wizard(&sheet);
    ShowConfirmation(wizard, sheet, entry);
    EXPECT_EQ(std::string(m_program), wizard.PageControlText(1017));
    EXPECT_EQ("電卓 表示", wizard.PageControlText(1007));
    EXPECT_EQ("-x 予定", wizard.PageControlText(1020));
    EXPECT_EQ("", wizard.PageControlText(1002));
    EXPECT_EQ(BST_CHECKED, SendMessageA(wizard.PageControl(1021), BM_GETCHECK, 0, 0));
    HICON hShown = reinterpret_cast<HICON>(SendMessageA(wizard.PageControl(1003), STM_GETICON, 0, 0));
    EXPECT_EQ(sheet.m_pEntryPage->m_hPreviewIcon, hShown);
    EXPECT_TRUE(IsLiveIcon(hShown));

    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(132u, wizard.CurrentTemplate());
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();

    CString folder = ToolDir() + "tvbCalc.exe";
    CString ini = folder + "\\tavro.ini";
    EXPECT_EQ(ini, sheet.m_entry.m_strIniPath);
    EXPECT_EQ("電卓 表示", IniValue(ini, "dispname"));
    EXPECT_EQ(std::string(m_program), IniValue(ini, "program"));
    EXPECT_EQ("-x 予定", IniValue(ini, "cmdline"));
    EXPECT_EQ("0", IniValue(ini, "orgicon"));
    EXPECT_EQ("resident copy", ReadWholeFile(folder + "\\TavroCre.Exe"));
    ExpectLink(folder + "\\tvbCalc.exe.lnk", ini, std::string(folder), std::string(m_program), "電卓 表示");
    ExpectLink(StartupLink("tvbCalc.exe"), ini, std::string(folder), std::string(m_program), "電卓 表示");
    // Exactly the layout: nothing else in the entry folder or the tool's folder.
    EXPECT_EQ(3u, ListFolder(folder, false).size());
    EXPECT_EQ(1u, ListFolder(ToolDir(), true).size());
}

TEST_F(EntryPageTest, WorkFolderAndIconSourceReachBothShortcuts)
{
    CString iconFile = m_temp.Sub("tvbIcons.exe");
    ASSERT_TRUE(CopySelfTo(iconFile));
    CString folder = ToolDir() + "tvbCalc.exe";
    struct Case {
        LPCSTR workDir;
        bool bOrgIcon;
        std::string expectedWorkDir;
        std::string expectedIcon;
    } cases[] = {
        { "", false, std::string(folder), std::string(m_program) },
        { "C:\\windows", false, "C:\\windows", std::string(m_program) },
        { "", true, std::string(folder), std::string(iconFile) },
        { "C:\\windows", true, "C:\\windows", std::string(iconFile) },
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        CleanToolAndStartup();
        CRegistEntry entry = Entry(m_program, "Calc");
        entry.m_strWorkDir = cases[i].workDir;
        entry.m_strIconPath = iconFile;
        entry.m_bOrgIcon = cases[i].bOrgIcon;
        MessageBoxRecorder boxes;
        Register(entry, true);
        EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
        CString ini = folder + "\\tavro.ini";
        ExpectLink(folder + "\\tvbCalc.exe.lnk", ini, cases[i].expectedWorkDir, cases[i].expectedIcon, "Calc");
        ExpectLink(StartupLink("tvbCalc.exe"), ini, cases[i].expectedWorkDir, cases[i].expectedIcon, "Calc");
    }
}

TEST_F(EntryPageTest, SettingsPathWithSpacesStandsUnquotedBehindTheSwitch)
{
    CString program = m_temp.Sub("tvb my app.exe");
    ASSERT_TRUE(CopySelfTo(program));
    MessageBoxRecorder boxes;
    Register(Entry(program, "My App"), true);
    CString folder = ToolDir() + "tvb my app.exe";
    CString ini = folder + "\\tavro.ini";
    EXPECT_EQ(std::string("/INI=") + ini.GetString(), ReadLink(folder + "\\tvb my app.exe.lnk").arguments);
    EXPECT_EQ(std::string("/INI=") + ini.GetString(), ReadLink(StartupLink("tvb my app.exe")).arguments);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(EntryPageTest, ClearedStartupBoxLeavesAnEarlierStartupShortcut)
{
    MessageBoxRecorder boxes;
    Register(Entry(m_program, "First"), true);
    Register(Entry(m_program, "Second"), false);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ("Second", ReadLink(ToolDir() + "tvbCalc.exe\\tvbCalc.exe.lnk").description);
    EXPECT_EQ("First", ReadLink(StartupLink("tvbCalc.exe")).description);
}

TEST_F(EntryPageTest, StartupChoiceSurvivesAWalkBackAndForth)
{
    MessageBoxRecorder boxes;
    CRegistSheet sheet(RegistNew, NULL);
    WizardDriver wizard(&sheet);
    ASSERT_TRUE(wizard.Start());
    sheet.m_entry = Entry(m_program, "Walk");
    GoToPage(wizard, 1);
    ASSERT_TRUE(wizard.Next());
    ASSERT_EQ(131u, wizard.CurrentTemplate());
    SetStartupBox(wizard, false);
    ASSERT_TRUE(wizard.Back());
    ASSERT_EQ(130u, wizard.CurrentTemplate());
    ASSERT_TRUE(wizard.Next());
    ASSERT_EQ(131u, wizard.CurrentTemplate());
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(wizard.PageControl(1021), BM_GETCHECK, 0, 0));
    ASSERT_TRUE(wizard.Next());
    ASSERT_EQ(132u, wizard.CurrentTemplate());
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(StartupLink("tvbCalc.exe")));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ToolDir() + "tvbCalc.exe\\tavro.ini"));
}

TEST_F(EntryPageTest, AnotherProgramOfTheSameFileNameIsOverwrittenOnlyWhenConfirmed)
{
    ASSERT_TRUE(m_temp.MakeFolder("A"));
    ASSERT_TRUE(m_temp.MakeFolder("B"));
    CString programA = m_temp.Sub("A\\tvbsetup.exe");
    CString programB = m_temp.Sub("B\\tvbsetup.exe");
    ASSERT_TRUE(CopySelfTo(programA));
    ASSERT_TRUE(CopySelfTo(programB));
    CString folder = ToolDir() + "tvbsetup.exe";
    CString ini = folder + "\\tavro.ini";
    CString link = folder + "\\tvbsetup.exe.lnk";

    MessageBoxRecorder boxes(IDNO);
    Register(Entry(programA, "Setup A"), true);
    // The same program again, also in other letter case: no question.
    CString programAUpper = programA;
    programAUpper.MakeUpper();
    Register(Entry(programAUpper, "Setup A"), true);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();

    CRegistSheet sheet(RegistNew, NULL);
    WizardDriver wizard(&sheet);
    ShowConfirmation(wizard, sheet, Entry(programB, "Setup B"));
    ASSERT_TRUE(wizard.Next());
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ(kOverwrite, boxes.LastText());
    // Enter must not replace another program's registration.
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2), boxes.Boxes()[0].type);
    EXPECT_EQ(131u, wizard.CurrentTemplate());
    EXPECT_EQ(std::string(programAUpper), IniValue(ini, "program"));
    EXPECT_EQ("Setup A", ReadLink(link).description);
    EXPECT_EQ("Setup A", ReadLink(StartupLink("tvbsetup.exe")).description);

    boxes.SetAnswer(IDYES);
    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(2u, boxes.Count());
    EXPECT_EQ(132u, wizard.CurrentTemplate());
    EXPECT_EQ(std::string(programB), IniValue(ini, "program"));
    EXPECT_EQ("Setup B", ReadLink(link).description);
    EXPECT_EQ("Setup B", ReadLink(StartupLink("tvbsetup.exe")).description);
}

// Two Tavro folders registering programs of one file name share the Startup
// shortcut's name: the second commit must not take the first one's silently.
TEST_F(EntryPageTest, AnotherFoldersStartupShortcutIsReplacedOnlyWhenConfirmed)
{
    CString otherIni = m_temp.Sub("elsewhere\\tvbCalc.exe\\tavro.ini");
    CString ownIni = ToolDir() + "tvbCalc.exe\\tavro.ini";
    CString startup = StartupLink("tvbCalc.exe");
    MessageBoxRecorder boxes(IDNO);
    {
        ToolCopy elsewhere(m_temp.Sub("elsewhere"));
        Register(Entry(m_program, "Elsewhere"), true);
    }
    const std::string theirs = ReadWholeFile(startup);
    ASSERT_FALSE(theirs.empty());

    Register(Entry(m_program, "Calc"), true);
    ASSERT_EQ(2u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ("スタートアップの同じ名前のショートカットは、別の登録のものです．\n別の登録: " + std::string(otherIni) +
                  "\nこの登録: " + std::string(ownIni) + "\n置き換えますか？", boxes.Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2), boxes.Boxes()[0].type);
    EXPECT_EQ(kStartupSkipped, boxes.LastText());
    EXPECT_EQ(theirs, ReadWholeFile(startup)) << "the other folder's shortcut, byte for byte";
    EXPECT_EQ("Calc", ReadLink(ToolDir() + "tvbCalc.exe\\tvbCalc.exe.lnk").description);

    boxes.SetAnswer(IDYES);
    Register(Entry(m_program, "Calc"), true);
    EXPECT_EQ(3u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ("Calc", ReadLink(startup).description);

    // A missing Startup folder is made anew rather than refusing the commit.
    CString startupDir = StartupDir();
    ASSERT_TRUE(MoveFileA(startupDir, startupDir + ".away"));
    Register(Entry(m_program, "Calc"), true);
    bool bMade = PathExists(startup);
    RemoveTreeForTest(startupDir);
    MoveFileA(startupDir + ".away", startupDir);
    EXPECT_TRUE(bMade);
    EXPECT_EQ(3u, boxes.Count()) << boxes.Texts();
}

TEST_F(EntryPageTest, ExistingEntryFolderIsReusedWithoutAWord)
{
    CString folder = ToolDir() + "tvbCalc.exe";
    ASSERT_TRUE(CreateDirectoryA(folder, NULL));
    ASSERT_TRUE(CopySelfTo(folder + "\\keep.bin"));
    MessageBoxRecorder boxes;
    Register(Entry(m_program, "Calc"), false);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_TRUE(PathExists(folder + "\\keep.bin"));
    EXPECT_TRUE(PathExists(folder + "\\tavro.ini"));
    EXPECT_TRUE(PathExists(folder + "\\tvbCalc.exe.lnk"));
}

// Each failure keeps the page, writes nothing after the failing step, and a
// second Next after the cause is gone writes everything from the start.
TEST_F(EntryPageTest, FailuresKeepThePageAndNextRetriesFromTheStart)
{
    CString folder = ToolDir() + "tvbCalc.exe";
    CString ini = folder + "\\tavro.ini";
    CString link = folder + "\\tvbCalc.exe.lnk";
    CString startup = StartupLink("tvbCalc.exe");
    CString copy = folder + "\\TavroCre.Exe";
    struct Case {
        const char* name;
        const char* message;
        CString blocker;
        bool bIniWritten;
    } cases[] = {
        { "a file where the entry folder goes", kNoFolder, folder, false },
        { "a folder where the settings file goes", kNoIni, ini, false },
        { "a folder where the entry shortcut goes", kNoLink, link, true },
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(cases[i].name);
        CleanToolAndStartup();
        ASSERT_TRUE(CopySelfTo(ToolDir() + "TavroCre.Exe"));
        const CString& blocker = cases[i].blocker;
        if (i == 0) {
            ASSERT_TRUE(CopySelfTo(blocker));
        } else {
            ASSERT_TRUE(CreateDirectoryA(folder, NULL));
            ASSERT_TRUE(CreateDirectoryA(blocker, NULL));
        }

        MessageBoxRecorder boxes;
        CRegistSheet sheet(RegistNew, NULL);
        WizardDriver wizard(&sheet);
        ShowConfirmation(wizard, sheet, Entry(m_program, "Calc"));
        ASSERT_TRUE(wizard.Next());
        EXPECT_EQ(cases[i].message, boxes.Texts().substr(0, boxes.Texts().size() - 1));
        EXPECT_EQ(131u, wizard.CurrentTemplate());
        EXPECT_EQ(cases[i].bIniWritten, IniValue(ini, "dispname") == "Calc");
        EXPECT_FALSE(PathExists(startup));
        if (i == 0) {
            EXPECT_FALSE(PathExists(folder + "\\tavro.ini"));
        }

        ASSERT_TRUE(wizard.Next());
        EXPECT_EQ(2u, boxes.Count()) << "the same failure again";
        EXPECT_EQ(131u, wizard.CurrentTemplate());

        RemoveTreeForTest(blocker);
        DeleteFileA(blocker);
        ASSERT_TRUE(wizard.Next());
        EXPECT_EQ(2u, boxes.Count()) << boxes.Texts();
        EXPECT_EQ(132u, wizard.CurrentTemplate());
        EXPECT_EQ("Calc", IniValue(ini, "dispname"));
        ExpectLink(link, ini, std::string(folder), std::string(m_program), "Calc");
        ExpectLink(startup, ini, std::string(folder), std::string(m_program), "Calc");
        EXPECT_TRUE(PathExists(copy));
    }
}

TEST_F(EntryPageTest, StartupShortcutThatCannotBeMadeGivesTwoAndKeepsThePage)
{
    CString startup = StartupLink("tvbCalc.exe");
    ASSERT_TRUE(CreateDirectoryA(startup, NULL));
    MessageBoxRecorder boxes;
    CRegistSheet sheet(RegistNew, NULL);
    WizardDriver wizard(&sheet);
    ShowConfirmation(wizard, sheet, Entry(m_program, "Calc"));

    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(kNoStartup, boxes.LastText());
    EXPECT_EQ(1u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ(131u, wizard.CurrentTemplate());
    // What was written before stays.
    EXPECT_TRUE(ReadLink(ToolDir() + "tvbCalc.exe\\tvbCalc.exe.lnk").loaded);

    EXPECT_EQ(CEntryPage::ResultStartupFailed, sheet.m_pEntryPage->CommitEntry());
    EXPECT_EQ(2u, boxes.Count());
    CRegistLayout layout(ToolDir(), "tvbCalc.exe");
    CResidentLink::LocateStartupFolder(layout);
    EXPECT_EQ(CEntryPage::ResultStartupFailed, sheet.m_pEntryPage->CreateStartupLink(layout));
}

TEST_F(EntryPageTest, CommitsThatWouldWriteNothingUsableAreRefusedUntouched)
{
    // Names that bring the entry folder, or only the shortcut inside it, to 260 bytes.
    int toolLength = ToolDir().GetLength();
    int folderLimit = MAX_PATH - toolLength;
    int linkLimit = (MAX_PATH - 5 - toolLength + 1) / 2;
    ASSERT_LT(toolLength + linkLimit + 10, MAX_PATH);
    struct Case {
        std::string program;
        const char* message;
        bool bNoResident;   // no TavroCore.Exe beside the tool, as opened from inside the zip
    } cases[] = {
        { "C:\\x\\tvb" + std::string(static_cast<size_t>(folderLimit - 7), 'f') + ".exe", kTooLong, false },
        { "C:\\x\\tvb" + std::string(static_cast<size_t>(linkLimit - 7), 'l') + ".exe", kTooLong, false },
        { "C:\\tvbdir\\", kNoFileName, false },
        { "", kNoFileName, false },
        { m_program.GetString(), kResidentMissing, true },
    };
    CString resident = ToolDir() + "TavroCore.Exe";
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(cases[i].program);
        if (cases[i].bNoResident) {
            ASSERT_TRUE(MoveFileA(resident, resident + ".away"));
        }
        MessageBoxRecorder boxes;
        CRegistSheet sheet(RegistNew, NULL);
        WizardDriver wizard(&sheet);
        ShowConfirmation(wizard, sheet, Entry(cases[i].program.c_str(), "Name"));
        ASSERT_TRUE(wizard.Next());
        EXPECT_EQ(cases[i].message, boxes.LastText());
        EXPECT_EQ(131u, wizard.CurrentTemplate());
        EXPECT_TRUE(ListFolder(ToolDir(), true).empty());
        if (cases[i].bNoResident) {
            ASSERT_TRUE(MoveFileA(resident + ".away", resident));
        }
        EXPECT_EQ(2u, ListFolder(ToolDir(), false).size()) << "only the test program and the resident";
        std::vector<std::string> startup = ListFolder(StartupDir(), false);
        for (size_t j = 0; j < startup.size(); ++j)
            EXPECT_TRUE(startup[j].compare(0, 3, kPrefix) != 0 && startup[j] != ".lnk") << startup[j];
    }
}

TEST_F(EntryPageTest, ControlsFollowTheMode)
{
    MakeEntryFolder("tvbCalc.exe", "Calc", m_program);
    MessageBoxRecorder boxes;
    {
        CRegistSheet sheet(RegistNew, NULL);
        WizardDriver wizard(&sheet);
        ShowConfirmation(wizard, sheet, Entry(m_program, "Calc"));
        EXPECT_TRUE(IsWindowVisible(wizard.PageControl(1021)));
        EXPECT_FALSE(IsWindowVisible(wizard.PageControl(1023)));
    }
    {
        CRegistSheet sheet(RegistDelete, NULL);
        WizardDriver wizard(&sheet);
        ShowRemoval(wizard, 0);
        EXPECT_FALSE(IsWindowVisible(wizard.PageControl(1021)));
        EXPECT_TRUE(IsWindowVisible(wizard.PageControl(1023)));
        EXPECT_EQ("この登録を削除します．", wizard.PageControlText(1023));
        EXPECT_EQ("Calc", wizard.PageControlText(1007));
        EXPECT_EQ(std::string(m_program), wizard.PageControlText(1017));
    }
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(EntryPageTest, EditingAnEntryRewritesItsOwnFilesWithoutAsking)
{
    MessageBoxRecorder boxes;
    Register(Entry(m_program, "Before"), true);
    CRegistSheet sheet(RegistEdit, NULL);
    WizardDriver wizard(&sheet);
    ASSERT_TRUE(wizard.Start());
    ASSERT_TRUE(wizard.Next());
    ASSERT_EQ(130u, wizard.CurrentTemplate());
    SetWindowTextA(wizard.PageControl(1007), "After");
    ASSERT_TRUE(wizard.Next());
    ASSERT_EQ(131u, wizard.CurrentTemplate());
    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(132u, wizard.CurrentTemplate());
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    CString ini = ToolDir() + "tvbCalc.exe\\tavro.ini";
    EXPECT_EQ("After", IniValue(ini, "dispname"));
    EXPECT_EQ("After", ReadLink(StartupLink("tvbCalc.exe")).description);

    // A copy of the entry folder is another registration: its edit asks first.
    MakeEntryFolder("tvbCalc.exe - コピー", "A copy", m_program);
    std::string original = ReadWholeFile(ini);
    boxes.SetAnswer(IDNO);
    CRegistSheet copySheet(RegistEdit, NULL);
    WizardDriver copyWizard(&copySheet);
    ASSERT_TRUE(copyWizard.Start() && copyWizard.Next() && copyWizard.Next() && copyWizard.Next());
    EXPECT_EQ(kOverwrite + std::string("\n"), boxes.Texts());
    EXPECT_EQ(131u, copyWizard.CurrentTemplate());
    EXPECT_EQ(original, ReadWholeFile(ini));
}

TEST_F(EntryPageTest, RemovalDeletesTheStartupShortcutAndTheEntryFolderOnly)
{
    CString program2 = m_temp.Sub("tvbOther.exe");
    ASSERT_TRUE(CopySelfTo(program2));
    MessageBoxRecorder boxes;
    Register(Entry(m_program, "Calc"), true);
    Register(Entry(program2, "Other"), false);

    for (int round = 0; round < 2; ++round) {
        CRegistSheet sheet(RegistDelete, NULL);
        WizardDriver wizard(&sheet);
        ShowRemoval(wizard, 0);
        ASSERT_TRUE(wizard.Next());
        EXPECT_EQ(132u, wizard.CurrentTemplate());
    }
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_FALSE(PathExists(ToolDir() + "tvbCalc.exe"));
    EXPECT_FALSE(PathExists(ToolDir() + "tvbOther.exe"));
    EXPECT_FALSE(PathExists(StartupLink("tvbCalc.exe")));
    EXPECT_TRUE(PathExists(ToolDir() + "regtool_tests.exe"));
}

TEST_F(EntryPageTest, RemovalTakesTheFolderTheEntryWasListedFrom)
{
    // A stray folder without settings file, a registration kept in a folder
    // named unlike its program, and the registration of that program.
    CString stray = MakeEntryFolder("tvbStray", "", NULL);
    ASSERT_TRUE(CopySelfTo(stray + "\\junk.bin"));
    MakeEntryFolder("tvbRenamed", "Renamed", m_program);
    MessageBoxRecorder boxes(IDNO);
    Register(Entry(m_program, "Real"), true);
    // A Startup item named like an entry without file name must survive.
    ASSERT_TRUE(CopySelfTo(StartupDir() + "\\.lnk"));

    {
        // Lines: "" (stray), "Real", "Renamed". The stray folder may be
        // anything of the user's: it goes only after a question, No first.
        CRegistSheet sheet(RegistDelete, NULL);
        WizardDriver wizard(&sheet);
        ShowRemoval(wizard, 0);
        ASSERT_TRUE(wizard.Next());
        EXPECT_EQ("このフォルダはTavroの登録ではない可能性があります．\n" + std::string(stray) +
                      "\nフォルダごと削除しますか？", boxes.LastText());
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2), boxes.Boxes().back().type);
        EXPECT_TRUE(PathExists(stray + "\\junk.bin"));
        boxes.SetAnswer(IDYES);
        ASSERT_TRUE(wizard.Next());
        EXPECT_EQ(132u, wizard.CurrentTemplate());
        boxes.Clear();
    }
    EXPECT_FALSE(PathExists(stray));
    EXPECT_TRUE(PathExists(StartupDir() + "\\.lnk"));
    EXPECT_TRUE(PathExists(ToolDir() + "regtool_tests.exe"));
    {
        CRegistSheet sheet(RegistDelete, NULL);
        WizardDriver wizard(&sheet);
        ShowRemoval(wizard, 1);
        EXPECT_EQ("Renamed", wizard.PageControlText(1007));
        ASSERT_TRUE(wizard.Next());
        EXPECT_EQ(132u, wizard.CurrentTemplate());
    }
    EXPECT_FALSE(PathExists(ToolDir() + "tvbRenamed"));
    EXPECT_EQ("Real", IniValue(ToolDir() + "tvbCalc.exe\\tavro.ini", "dispname"));
    // Named like the copy's, but starting the resident for the original.
    EXPECT_EQ("Real", ReadLink(StartupLink("tvbCalc.exe")).description);
    // The stray entry has no icon source: the loader's message each time it is shown.
    for (size_t i = 0; i < boxes.Count(); ++i)
        EXPECT_EQ("アイコンが読み込めません．", boxes.Boxes()[i].text);
}

TEST_F(EntryPageTest, RemovalNeverLeavesTheToolsDirectSubfolders)
{
    ASSERT_TRUE(m_temp.MakeFolder("outside"));
    CString tool = ToolDir();
    MakeEntryFolder("tvbA", "A", m_program);
    CreateDirectoryA(tool + "tvbA\\sub", NULL);
    ASSERT_TRUE(CopySelfTo(StartupLink("tvbCalc.exe")));
    CString bad[] = {
        tool + "Tavro.ini",
        tool + "..\\Tavro.ini",
        tool + ".\\Tavro.ini",
        tool + "tvbA\\sub\\Tavro.ini",
        tool + "tvbA/..\\Tavro.ini",
        tool + "...\\Tavro.ini",
        m_temp.Sub("outside\\Tavro.ini"),
        "Tavro.ini",
        "",
    };
    MessageBoxRecorder boxes;
    CRegistSheet sheet(RegistDelete, NULL);
    WizardDriver wizard(&sheet);
    ShowRemoval(wizard, 0);
    for (size_t i = 0; i < sizeof(bad) / sizeof(bad[0]); ++i) {
        SCOPED_TRACE(bad[i].GetString());
        boxes.Clear();
        sheet.m_entry.m_strIniPath = bad[i];
        ASSERT_TRUE(wizard.Next());
        EXPECT_EQ(kNotRemovable, boxes.Texts().substr(0, boxes.Texts().size() - 1));
        EXPECT_EQ(131u, wizard.CurrentTemplate());
    }
    EXPECT_TRUE(PathExists(tool + "regtool_tests.exe"));
    EXPECT_TRUE(PathExists(tool + "tvbA\\sub"));
    EXPECT_TRUE(PathExists(tool + "tvbA\\Tavro.ini"));
    EXPECT_TRUE(PathExists(m_temp.Sub("outside")));
    EXPECT_TRUE(PathExists(StartupLink("tvbCalc.exe")));
}

TEST_F(EntryPageTest, FilesThatCannotBeDeletedStopTheRemoval)
{
    MessageBoxRecorder boxes;
    Register(Entry(m_program, "Calc"), true);
    CString folder = ToolDir() + "tvbCalc.exe";
    CString startup = StartupLink("tvbCalc.exe");

    // A locked Startup shortcut: reported, nothing else removed.
    HANDLE hLock = CreateFileA(startup, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hLock);
    CRegistSheet sheet(RegistDelete, NULL);
    WizardDriver wizard(&sheet);
    ShowRemoval(wizard, 0);
    ASSERT_TRUE(wizard.Next());
    CloseHandle(hLock);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ(0u, boxes.LastText().find(kStartupLocked)) << boxes.LastText();
    EXPECT_EQ(131u, wizard.CurrentTemplate());
    EXPECT_TRUE(PathExists(folder + "\\tavro.ini"));
    EXPECT_TRUE(PathExists(folder + "\\tvbCalc.exe.lnk"));

    // A read-only file in the entry folder, then the folder held open (as a
    // resident's current folder holds it): found before anything changes.
    ASSERT_TRUE(CopySelfTo(folder + "\\readonly.bin"));
    ASSERT_TRUE(SetFileAttributesA(folder + "\\readonly.bin", FILE_ATTRIBUTE_READONLY));
    const std::string startupBefore = ReadWholeFile(startup);
    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(kReadOnly + std::string(folder) + "\\readonly.bin", boxes.LastText());
    SetFileAttributesA(folder + "\\readonly.bin", FILE_ATTRIBUTE_NORMAL);
    HANDLE hHeld = CreateFileA(folder, FILE_TRAVERSE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    ASSERT_TRUE(wizard.Next());
    CloseHandle(hHeld);
    EXPECT_EQ(kFolderHeld + std::string(folder), boxes.LastText());
    // A file another program keeps open without delete sharing.
    hHeld = CreateFileA(folder + "\\readonly.bin", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_TRUE(wizard.Next());
    CloseHandle(hHeld);
    EXPECT_EQ(kItemHeld + std::string(folder) + "\\readonly.bin", boxes.LastText());
    EXPECT_EQ(4u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ(131u, wizard.CurrentTemplate());
    EXPECT_EQ(startupBefore, ReadWholeFile(startup));
    EXPECT_TRUE(PathExists(folder + "\\tavro.ini"));
    EXPECT_TRUE(PathExists(folder + "\\readonly.bin"));

    // An Explorer window on the folder shares everything: no refusal, and
    // the folder goes when that window lets it go.
    hHeld = CreateFileA(folder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    ASSERT_TRUE(wizard.Next());
    CloseHandle(hHeld);
    EXPECT_EQ(4u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ(132u, wizard.CurrentTemplate());
    EXPECT_FALSE(PathExists(folder));
    EXPECT_FALSE(PathExists(startup));
}

TEST_F(EntryPageTest, RemovalIgnoresButtonsPressedMeanwhileAndAMissingStartupFolder)
{
    MessageBoxRecorder boxes;
    Register(Entry(m_program, "Calc"), false);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(CopySelfTo(ToolDir() + "tvbCalc.exe\\" + CString('f', i + 1)));
    CRegistSheet sheet(RegistDelete, NULL);
    WizardDriver wizard(&sheet);
    ShowRemoval(wizard, 0);
    // Waiting in the queue, they arrive while the removal dispatches messages.
    for (int press : { PSBTN_NEXT, PSBTN_BACK, PSBTN_CANCEL })
        PostMessageA(wizard.Sheet(), PSM_PRESSBUTTON, static_cast<WPARAM>(press), 0);
    CString startup = StartupDir();
    ASSERT_TRUE(MoveFileA(startup, startup + ".away"));
    wizard.Next();
    MoveFileA(startup + ".away", startup);
    EXPECT_EQ(132u, wizard.CurrentTemplate());
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_FALSE(PathExists(ToolDir() + "tvbCalc.exe"));
}

TEST_F(EntryPageTest, TheResidentCopyNeverStopsACommitAndStaysDeletable)
{
    CString source = ToolDir() + "TavroCre.Exe";
    CString copy = ToolDir() + "tvbCalc.exe\\TavroCre.Exe";
    // A tool folder from read-only media: the copies come read-only too.
    ASSERT_TRUE(CopySelfTo(source) && SetFileAttributesA(source, FILE_ATTRIBUTE_READONLY));
    MessageBoxRecorder boxes;
    Register(Entry(m_program, "Calc"), false);
    // A copy that cannot be made is not examined.
    ASSERT_TRUE(DeleteFileA(copy) && CreateDirectoryA(copy, NULL));
    Register(Entry(m_program, "Calc"), false);
    SetFileAttributesA(source, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(EntryPageTest, PreviewIconsAreReleasedWhenReplacedAndWhenThePageGoes)
{
    CString iconFile = m_temp.Sub("tvbIcons.exe");
    ASSERT_TRUE(CopySelfTo(iconFile));
    DWORD gdiBefore = 0;
    DWORD userBefore = 0;
    for (int lifetime = 0; lifetime < 4; ++lifetime) {
        if (lifetime == 1) {
            gdiBefore = GuiObjects(GR_GDIOBJECTS);
            userBefore = GuiObjects(GR_USEROBJECTS);
        }
        HICON hLast = NULL;
        {
            CRegistSheet sheet(RegistNew, NULL);
            WizardDriver wizard(&sheet);
            ShowConfirmation(wizard, sheet, Entry(m_program, "Calc"));
            for (int visit = 0; visit < 3; ++visit) {
                HICON hBefore = sheet.m_pEntryPage->m_hPreviewIcon;
                sheet.m_entry.m_strIconPath = iconFile;
                sheet.m_entry.m_bOrgIcon = visit % 2;
                GoToPage(wizard, 0);
                GoToPage(wizard, 2);
                hLast = sheet.m_pEntryPage->m_hPreviewIcon;
                EXPECT_TRUE(IsLiveIcon(hLast));
                EXPECT_FALSE(IsLiveIcon(hBefore)) << "replaced icon still alive";
            }
        }
        EXPECT_FALSE(IsLiveIcon(hLast)) << "icon kept after the page went";
    }
    // Wine's GetGuiResources reports 0; on Windows the counts are real.
    EXPECT_EQ(gdiBefore, GuiObjects(GR_GDIOBJECTS));
    EXPECT_EQ(userBefore, GuiObjects(GR_USEROBJECTS));
}

// Registrations made by a real commit in one folder, which is then renamed:
// the tool started from the new place finds both stale.
TEST_F(EntryPageTest, MovedToolFolderGetsItsShortcutsRewrittenOnlyWhenConfirmed)
{
    CString other = m_temp.Sub("tvbOther.exe");
    ASSERT_TRUE(CopySelfTo(other));
    CString oldDir = m_temp.Sub("old"), newDir = m_temp.Sub("new");
    MessageBoxRecorder boxes(IDNO);
    {
        // A registration of another tool folder owns the Startup shortcut tvbOther.exe.lnk.
        ToolCopy elsewhere(m_temp.Sub("elsewhere"));
        Register(Entry(other, "Elsewhere"), true);
        ToolCopy tool(oldDir);
        Register(Entry(m_program, "Calc"), true);
        Register(Entry(other, "Other"), false);
    }
    ASSERT_TRUE(MoveFileA(oldDir, newDir));
    ToolCopy tool(newDir);
    CString calc = newDir + "\\tvbCalc.exe", otherLink = newDir + "\\tvbOther.exe\\tvbOther.exe.lnk";
    const std::string calcLink = ReadWholeFile(calc + "\\tvbCalc.exe.lnk");
    const std::string calcStartup = ReadWholeFile(StartupLink("tvbCalc.exe"));
    const std::string otherStartup = ReadWholeFile(StartupLink("tvbOther.exe"));

    ASSERT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_EQ(2, CMovedFolderRepair().Run());
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ(kMoved, boxes.LastText());
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes.Boxes()[0].type);
    EXPECT_EQ(calcLink, ReadWholeFile(calc + "\\tvbCalc.exe.lnk"));
    EXPECT_EQ(calcStartup, ReadWholeFile(StartupLink("tvbCalc.exe")));

    // One shortcut held open by another program: the rest is written, then one report.
    CMovedFolderRepair repair;
    ASSERT_EQ(2, repair.FindStale());
    HANDLE hLock = CreateFileA(otherLink, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(1, repair.RepairStale());
    CloseHandle(hLock);
    EXPECT_EQ(kNoLink, boxes.LastText());
    ExpectLink(calc + "\\tvbCalc.exe.lnk", calc + "\\tavro.ini", std::string(calc), std::string(m_program), "Calc");
    ExpectLink(StartupLink("tvbCalc.exe"), calc + "\\tavro.ini", std::string(calc), std::string(m_program), "Calc");

    boxes.SetAnswer(IDYES);
    EXPECT_EQ(1, CMovedFolderRepair().Run());
    ExpectLink(otherLink, newDir + "\\tvbOther.exe\\tavro.ini", std::string(newDir + "\\tvbOther.exe"),
               std::string(other), "Other");
    EXPECT_EQ(otherStartup, ReadWholeFile(StartupLink("tvbOther.exe")));
    EXPECT_EQ(0, CMovedFolderRepair().Run());
    EXPECT_EQ(3u, boxes.Count()) << boxes.Texts();
}

// The original folder still holds its registration: a copy of the Tavro
// folder started elsewhere counts nothing, asks nothing and writes nothing,
// and the original's removal recognises its Startup shortcut written with
// the settings path in short-name form.
TEST_F(EntryPageTest, CopyOfTheToolFolderIsNotAMove)
{
    CString original = m_temp.Sub("original folder"), copy = m_temp.Sub("copy");
    CString ini = original + "\\tvbCalc.exe\\tavro.ini";
    MessageBoxRecorder boxes(IDYES);
    {
        ToolCopy tool(original);
        Register(Entry(m_program, "Calc"), true);
    }
    const std::string startup = ReadWholeFile(StartupLink("tvbCalc.exe"));
    {
        ToolCopy tool(copy);
        ASSERT_TRUE(CreateDirectoryA(copy + "\\tvbCalc.exe", NULL));
        for (LPCSTR name : { "\\tvbCalc.exe\\tavro.ini", "\\tvbCalc.exe\\tvbCalc.exe.lnk" })
            ASSERT_TRUE(CopyFileA(original + name, copy + name, FALSE));
        const std::string entryLink = ReadWholeFile(copy + "\\tvbCalc.exe\\tvbCalc.exe.lnk");
        EXPECT_EQ(0, CMovedFolderRepair().Run());
        EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
        EXPECT_EQ(entryLink, ReadWholeFile(copy + "\\tvbCalc.exe\\tvbCalc.exe.lnk"));
        EXPECT_EQ(startup, ReadWholeFile(StartupLink("tvbCalc.exe")));
    }

    ToolCopy tool(original);
    char shortIni[MAX_PATH] = {0};
    ASSERT_NE(0u, GetShortPathNameA(ini, shortIni, MAX_PATH));
    ASSERT_NE(std::string(ini), std::string(shortIni));
    CRegistLayout shortLayout;
    ASSERT_TRUE(CRegistLayout::FromSettingsPath(shortIni, shortLayout));
    ASSERT_EQ(0, CResidentLink::Write(StartupLink("tvbCalc.exe"), Entry(m_program, "Calc"), shortLayout));
    CRegistSheet sheet(RegistDelete, NULL);
    WizardDriver wizard(&sheet);
    ShowRemoval(wizard, 0);
    ASSERT_TRUE(wizard.Next());
    EXPECT_EQ(132u, wizard.CurrentTemplate());
    EXPECT_FALSE(PathExists(StartupLink("tvbCalc.exe")));
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

// A repair that could not write the Startup shortcut leaves the entry
// shortcut stale, so the next start asks again; a registration without its
// entry shortcut is found from a Startup shortcut that names a place gone.
TEST_F(EntryPageTest, MovedFolderRepairIsRepeatableAfterAFailure)
{
    CString oldDir = m_temp.Sub("old"), newDir = m_temp.Sub("new");
    MessageBoxRecorder boxes(IDYES);
    {
        ToolCopy tool(oldDir);
        Register(Entry(m_program, "Calc"), true);
    }
    ASSERT_TRUE(MoveFileA(oldDir, newDir));
    ToolCopy tool(newDir);
    CString calc = newDir + "\\tvbCalc.exe";
    CString startup = StartupLink("tvbCalc.exe");
    const std::string entryLink = ReadWholeFile(calc + "\\tvbCalc.exe.lnk");

    HANDLE hLock = CreateFileA(startup, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(1, CMovedFolderRepair().Run());
    CloseHandle(hLock);
    EXPECT_EQ(kNoLink, boxes.LastText());
    EXPECT_EQ(entryLink, ReadWholeFile(calc + "\\tvbCalc.exe.lnk"));

    ASSERT_TRUE(DeleteFileA(calc + "\\tvbCalc.exe.lnk"));
    EXPECT_EQ(1, CMovedFolderRepair().Run());
    ExpectLink(calc + "\\tvbCalc.exe.lnk", calc + "\\tavro.ini", std::string(calc), std::string(m_program), "Calc");
    ExpectLink(startup, calc + "\\tavro.ini", std::string(calc), std::string(m_program), "Calc");
    EXPECT_EQ(0, CMovedFolderRepair().Run());
    EXPECT_EQ(3u, boxes.Count()) << boxes.Texts();
}

} // namespace
