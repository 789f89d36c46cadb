// The entry editing page, driven through its real window in a modeless
// wizard: defaults on activation, the icon check box, icon drops and the
// icon file dialog, the tests of Next, and the release of every icon.
#include "CEditPage.h"
#include "CRegistSheet.h"
#include "NewFirstTestHelpers.h"
#include "TestSupport.h"
#include "WizardDriver.h"

#include <gtest/gtest.h>

namespace {

const char kNoSuchFile[] = "存在しないファイルが指定されています．";
const char kNoDispName[] = "表示名称は省略できません．";
const char kNoIconFile[] = "アイコンファイルが指定されていません．";
const char kKeepCheck[] = "実行ﾌｧｲﾙ以外はこのチェックを外すことはできません";
const char kNoIcon[] = "アイコンが読み込めません．";
const char kNoAssociation[] =
    "アプリケーションに関連付けされていないファイルが指定されています．\nプログラムを登録できません";
const char kTooLong[] = "ファイルのパスが長すぎます．";

HICON SharedErrorIcon()
{
    return LoadIconA(NULL, MAKEINTRESOURCEA(32513));
}

bool IsLiveIcon(HICON hIcon)
{
    ICONINFO info;
    if (!GetIconInfo(hIcon, &info))
        return false;
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return true;
}

// A program with an icon: this test program carries the tool's icon 128.
bool CopySelfTo(LPCSTR pszTarget)
{
    char szSelf[MAX_PATH] = { 0 };
    GetModuleFileNameA(NULL, szSelf, MAX_PATH);
    return CopyFileA(szSelf, pszTarget, FALSE) != FALSE;
}

class EditPageTest : public ::testing::Test
{
protected:
    EditPageTest() : m_sheet(RegistNew, NULL), m_wizard(&m_sheet), m_hPage(NULL), m_pPage(NULL) {}

    void SetUp() override
    {
        ASSERT_TRUE(CopySelfTo(m_temp.Sub("App.exe")));
        ASSERT_TRUE(m_temp.WriteFile("memo.txt", "memo"));
        // Wine opens .ini files, though not .txt files, with notepad.
        ASSERT_TRUE(m_temp.WriteFile("notes.ini", "[notes]"));
        ASSERT_TRUE(m_temp.WriteFile("data.zzq", "zzq"));
        ASSERT_TRUE(m_wizard.Start());
        m_pPage = m_sheet.m_pEditPage;
    }

    // Shows the editing page for the entry, as coming from the first page.
    void ShowEditPage(const CRegistEntry& entry)
    {
        m_sheet.m_entry = entry;
        PropSheet_SetCurSel(m_wizard.Sheet(), NULL, 1);
        PumpMessages();
        m_hPage = m_wizard.CurrentPage();
        ASSERT_EQ(130u, m_wizard.CurrentTemplate());
        ASSERT_EQ(m_pPage->m_hWnd, m_hPage);
    }

    void ShowEditPageFor(const std::string& program)
    {
        CRegistEntry entry;
        entry.m_strProgram = program.c_str();
        ShowEditPage(entry);
    }

    std::string Text(int nId) const { return WindowText(GetDlgItem(m_hPage, nId)); }
    void SetText(int nId, const char* pszText) { SetDlgItemTextA(m_hPage, nId, pszText); }
    bool Enabled(int nId) const { return IsWindowEnabled(GetDlgItem(m_hPage, nId)) != FALSE; }
    bool Checked() const { return IsDlgButtonChecked(m_hPage, 1008) == BST_CHECKED; }
    HICON Preview() const
    {
        return reinterpret_cast<HICON>(SendDlgItemMessageA(m_hPage, 1003, STM_GETICON, 0, 0));
    }
    // What a user's click on the check box does: the box toggles, the page hears of it.
    void ClickOrgIcon()
    {
        HWND hBox = GetDlgItem(m_hPage, 1008);
        SendMessageA(hBox, BM_SETCHECK, Checked() ? BST_UNCHECKED : BST_CHECKED, 0);
        SendMessageA(m_hPage, WM_COMMAND, MAKEWPARAM(1008, BN_CLICKED), reinterpret_cast<LPARAM>(hBox));
        PumpMessages();
    }
    std::string Sub(LPCSTR name) const { return std::string(m_temp.Sub(name)); }

    MessageBoxRecorder m_boxes;
    TempFolder m_temp;
    CRegistSheet m_sheet;
    WizardDriver m_wizard;
    HWND m_hPage;
    CEditPage* m_pPage;
};

TEST_F(EditPageTest, ProgramShowsItsNameAndOwnIcon)
{
    ShowEditPageFor(Sub("App.exe"));
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ("App.exe", Text(1007));
    EXPECT_EQ(Sub("App.exe"), Text(1017));
    EXPECT_FALSE(Checked());
    EXPECT_FALSE(Enabled(1009));
    EXPECT_FALSE(Enabled(1005));
    EXPECT_NE((HICON)NULL, m_pPage->m_hPreviewIcon);
    EXPECT_EQ(m_pPage->m_hPreviewIcon, Preview());
    EXPECT_TRUE(m_wizard.IsButtonEnabled(kWizBackId));
    EXPECT_TRUE(m_wizard.IsButtonEnabled(kWizNextId));
}

TEST_F(EditPageTest, DocumentGetsTheAssociatedProgramAndKeepsTheBoxTicked)
{
    char szExpected[MAX_PATH] = { 0 };
    ASSERT_GT(reinterpret_cast<INT_PTR>(FindExecutableA("notes.ini", m_temp.Path(), szExpected)), 32);
    char szLong[MAX_PATH] = { 0 };
    ASSERT_NE(0u, GetLongPathNameA(szExpected, szLong, MAX_PATH));

    ShowEditPageFor(Sub("notes.ini"));
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_TRUE(Checked());
    EXPECT_EQ(0, lstrcmpA(szLong, Text(1009).c_str())) << szLong << " / " << Text(1009);
    EXPECT_TRUE(Enabled(1009));
    EXPECT_TRUE(Enabled(1005));
    EXPECT_EQ(m_pPage->m_hPreviewIcon, Preview());

    ClickOrgIcon();
    EXPECT_EQ(kKeepCheck, m_boxes.LastText());
    EXPECT_TRUE(Checked());
    EXPECT_EQ(0, lstrcmpA(szLong, Text(1009).c_str()));
}

TEST_F(EditPageTest, DocumentOfAPackagedAppIsItsOwnIconSource)
{
    ShellOnlyFileTypes types;
    ASSERT_TRUE(m_temp.WriteFile("song.tavpackaged", "x"));
    ShowEditPageFor(Sub("song.tavpackaged"));
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_TRUE(Checked());
    EXPECT_EQ(Sub("song.tavpackaged"), Text(1009));
    EXPECT_TRUE(IsLiveIcon(Preview()));

    // Neither the test at Next nor the confirmation page's preview has a message.
    m_wizard.Press(PSBTN_NEXT);
    EXPECT_EQ(131u, m_wizard.CurrentTemplate());
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_TRUE(m_sheet.m_entry.m_bOrgIcon);
    EXPECT_EQ(Sub("song.tavpackaged"), std::string(m_sheet.m_entry.m_strIconPath));
}

TEST_F(EditPageTest, ShortcutCountsAsNoProgram)
{
    ASSERT_TRUE(m_temp.WriteFile("Editor.lnk", "not really a link"));
    ShowEditPageFor(Sub("Editor.lnk"));
    EXPECT_TRUE(m_pPage->m_bNotExe);
    if (!Checked()) {
        ClickOrgIcon();   // the lookup failed here: the user ticks it
    }
    ASSERT_TRUE(Checked());
    m_boxes.Clear();
    ClickOrgIcon();
    EXPECT_EQ(kKeepCheck, m_boxes.LastText());
    EXPECT_TRUE(Checked());
}

TEST_F(EditPageTest, FailedLookupLeavesTheDefaultIconOff)
{
    ShowEditPageFor(Sub("data.zzq"));
    ASSERT_GE(m_boxes.Count(), 1u);
    EXPECT_EQ(kNoAssociation, m_boxes.Boxes()[0].text);
    EXPECT_FALSE(Checked());
    EXPECT_EQ("", Text(1009));
    EXPECT_EQ("data.zzq", Text(1007));
    EXPECT_EQ(130u, m_wizard.CurrentTemplate());
}

TEST_F(EditPageTest, EntryWithItsOwnIconIsNotLookedUp)
{
    CRegistEntry entry;
    entry.m_strProgram = Sub("data.zzq").c_str();
    entry.m_strDispName = "Mine";
    entry.m_strIconPath = Sub("App.exe").c_str();
    entry.m_bOrgIcon = TRUE;
    entry.m_strWorkDir = "C:\\work";
    entry.m_strCmdLine = "/x";
    ShowEditPage(entry);
    // data.zzq would give the no-association message had it been looked up.
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ("Mine", Text(1007));
    EXPECT_EQ(Sub("App.exe"), Text(1009));
    EXPECT_EQ("C:\\work", Text(1002));
    EXPECT_EQ("/x", Text(1001));
    EXPECT_TRUE(Checked());
}

TEST_F(EditPageTest, TickingForAProgramShowsPlaceholderUntilAnIconFileIsGiven)
{
    ShowEditPageFor(Sub("App.exe"));
    HICON hOwn = m_pPage->m_hPreviewIcon;

    ClickOrgIcon();
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ(SharedErrorIcon(), Preview());
    EXPECT_EQ(hOwn, m_pPage->m_hPreviewIcon);
    EXPECT_TRUE(Enabled(1009));
    EXPECT_TRUE(Enabled(1005));

    m_wizard.Press(PSBTN_NEXT);
    EXPECT_EQ(kNoIconFile, m_boxes.LastText());
    EXPECT_EQ(1, m_wizard.CurrentIndex());

    // Clearing brings back the program's own icon.
    m_boxes.Clear();
    ClickOrgIcon();
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ(m_pPage->m_hPreviewIcon, Preview());
    EXPECT_FALSE(Enabled(1009));
    EXPECT_FALSE(Enabled(1005));
    EXPECT_EQ("", Text(1009));
    EXPECT_TRUE(IsLiveIcon(SharedErrorIcon()));
}

TEST_F(EditPageTest, NextTestsProgramThenNameThenIcon)
{
    ShowEditPageFor(Sub("Gone.exe"));
    SetText(1007, "");
    m_boxes.Clear();
    m_wizard.Press(PSBTN_NEXT);
    EXPECT_EQ(kNoSuchFile, m_boxes.LastText());
    EXPECT_EQ(1u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ(1, m_wizard.CurrentIndex());

    ASSERT_TRUE(CopySelfTo(m_temp.Sub("Gone.exe")));
    m_boxes.Clear();
    m_wizard.Press(PSBTN_NEXT);
    EXPECT_EQ(kNoDispName, m_boxes.LastText());
    EXPECT_EQ(1u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ(1, m_wizard.CurrentIndex());
    EXPECT_EQ("", std::string(m_sheet.m_entry.m_strDispName));
}

TEST_F(EditPageTest, DroppedTextFileBecomesTheIconFileAndNextStoresIt)
{
    ShowEditPageFor(Sub("App.exe"));
    SetText(1007, "表示 ソフト");
    SetText(1002, "C:\\作業");
    SetText(1001, "  /a \"b\"");

    DropFile(m_hPage, Sub("memo.txt"));
    EXPECT_EQ(kNoIcon, m_boxes.LastText());
    EXPECT_TRUE(Checked());
    EXPECT_EQ(Sub("memo.txt"), Text(1009));
    EXPECT_TRUE(Enabled(1005));
    EXPECT_NE((HICON)NULL, Preview());
    EXPECT_EQ(m_pPage->m_hPreviewIcon, Preview());

    m_boxes.Clear();
    m_wizard.Press(PSBTN_NEXT);
    ASSERT_EQ(131u, m_wizard.CurrentTemplate()) << m_boxes.Texts();
    // The icon is tried once more at Next: reported, not held.
    ASSERT_GE(m_boxes.Count(), 1u);
    EXPECT_EQ(kNoIcon, m_boxes.Boxes()[0].text);
    const CRegistEntry& entry = m_sheet.m_entry;
    EXPECT_EQ(Sub("memo.txt"), std::string(entry.m_strIconPath));
    EXPECT_TRUE(entry.m_bOrgIcon);
    EXPECT_EQ(Sub("App.exe"), std::string(entry.m_strProgram));
    EXPECT_EQ("表示 ソフト", std::string(entry.m_strDispName));
    EXPECT_EQ("C:\\作業", std::string(entry.m_strWorkDir));
    EXPECT_EQ("  /a \"b\"", std::string(entry.m_strCmdLine));
}

TEST_F(EditPageTest, DroppedProgramGivesItsIcon)
{
    ShowEditPageFor(Sub("notes.ini"));
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    HICON hBefore = m_pPage->m_hPreviewIcon;
    DropFiles(m_hPage, { Sub("App.exe"), Sub("memo.txt") });
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ(Sub("App.exe"), Text(1009));
    EXPECT_TRUE(Checked());
    EXPECT_NE(hBefore, m_pPage->m_hPreviewIcon);
    EXPECT_EQ(m_pPage->m_hPreviewIcon, Preview());
}

TEST_F(EditPageTest, UnreadableOrOverlongDropChangesNothing)
{
    ShowEditPageFor(Sub("App.exe"));
    HICON hIcon = m_pPage->m_hPreviewIcon;

    DropFiles(m_hPage, std::vector<std::string>());
    EXPECT_EQ("Drag Error", m_boxes.LastText());
    DropFile(m_hPage, PathOfLength(std::string(m_temp.Path()), ".ico", 260));
    EXPECT_EQ(kTooLong, m_boxes.LastText());
    EXPECT_EQ(2u, m_boxes.Count()) << m_boxes.Texts();

    EXPECT_FALSE(Checked());
    EXPECT_EQ("", Text(1009));
    EXPECT_EQ(hIcon, m_pPage->m_hPreviewIcon);
    EXPECT_EQ(hIcon, Preview());
}

TEST_F(EditPageTest, BackAndNextKeepStoredValuesAndDiscardUnstoredOnes)
{
    // Through the real first page.
    HWND hFirst = m_wizard.CurrentPage();
    DropFile(hFirst, Sub("App.exe"));
    m_wizard.Press(PSBTN_NEXT);
    m_hPage = m_wizard.CurrentPage();
    ASSERT_EQ(130u, m_wizard.CurrentTemplate()) << m_boxes.Texts();
    EXPECT_EQ("App.exe", Text(1007));

    SetText(1007, "Name");
    SetText(1002, "C:\\dir");
    SetText(1001, "-q");
    m_wizard.Press(PSBTN_NEXT);
    ASSERT_EQ(131u, m_wizard.CurrentTemplate()) << m_boxes.Texts();

    m_wizard.Press(PSBTN_BACK);
    ASSERT_EQ(130u, m_wizard.CurrentTemplate());
    EXPECT_EQ("Name", Text(1007));
    EXPECT_EQ("C:\\dir", Text(1002));
    EXPECT_EQ("-q", Text(1001));

    // Unstored changes go with Back; the first page's Next starts afresh.
    SetText(1007, "Other");
    m_wizard.Press(PSBTN_BACK);
    EXPECT_EQ("Name", std::string(m_sheet.m_entry.m_strDispName));
    m_wizard.Press(PSBTN_NEXT);
    ASSERT_EQ(130u, m_wizard.CurrentTemplate());
    EXPECT_EQ("App.exe", Text(1007));
    EXPECT_EQ("", Text(1002));
    EXPECT_EQ("", Text(1001));
}

TEST_F(EditPageTest, TypedFieldsHoldWhatTheSettingsFileGivesBack)
{
    ShowEditPageFor(Sub("App.exe"));
    for (int nId : { 1007, 1002, 1001 }) {
        SCOPED_TRACE(nId);
        EXPECT_EQ(259, SendDlgItemMessageA(m_hPage, nId, EM_GETLIMITTEXT, 0, 0));
    }
}

TEST_F(EditPageTest, TextsTheSettingsFileCannotKeepAreRefusedByName)
{
    // The limit counts characters where the edit keeps wide text: 200
    // double-byte characters fit in the field but take 400 bytes.
    std::string wide;
    for (int i = 0; i < 200; ++i)
        wide += "表";
    struct Case {
        int nId;
        std::string text;
        const char* pszMessage;
        const wchar_t* pwszText;   // typed instead of text when given
    } cases[] = {
        { 1007, wide, "表示名称が長すぎます．259バイト以内にしてください．", NULL },
        { 1002, "C:\\work\tdir", "作業ﾌｫﾙﾀﾞにタブなどの制御文字は使えません．", NULL },
        { 1001, wide, "ｺﾏﾝﾄﾞﾗｲﾝが長すぎます．259バイト以内にしてください．", NULL },
        { 1009, "C:\\icons\tx.ico", "ｱｲｺﾝﾌｧｲﾙにタブなどの制御文字は使えません．", NULL },
        { 1007, "", "表示名称に、この環境の文字コードで表せない文字は使えません．", L"\uD55C\uAD6D app" },  // "?? app"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nId);
        ShowEditPageFor(Sub("App.exe"));
        SendDlgItemMessageA(m_hPage, c.nId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.text.c_str()));
        if (c.pwszText)
            SendDlgItemMessageW(m_hPage, c.nId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.pwszText));
        m_boxes.Clear();
        m_wizard.Press(PSBTN_NEXT);
        EXPECT_EQ(c.pszMessage, m_boxes.LastText());
        EXPECT_EQ(1u, m_boxes.Count()) << m_boxes.Texts();
        EXPECT_EQ(1, m_wizard.CurrentIndex());
        EXPECT_TRUE(m_sheet.m_entry.m_strDispName.IsEmpty());
    }

    // 259 bytes exactly are kept.
    ShowEditPageFor(Sub("App.exe"));
    std::string longest = wide.substr(0, 258) + "x";
    SendDlgItemMessageA(m_hPage, 1007, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longest.c_str()));
    m_boxes.Clear();
    m_wizard.Press(PSBTN_NEXT);
    EXPECT_EQ(2, m_wizard.CurrentIndex()) << m_boxes.Texts();
    EXPECT_EQ(longest, std::string(m_sheet.m_entry.m_strDispName));
}

TEST_F(EditPageTest, IconPathLooksLikeAnEditFieldOnlyWhileInUse)
{
    ShowEditPageFor(Sub("App.exe"));
    HDC hDC = GetDC(m_hPage);
    HWND hPath = GetDlgItem(m_hPage, 1009);
    LRESULT brush = SendMessageA(m_hPage, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                                 reinterpret_cast<LPARAM>(hPath));
    EXPECT_NE(reinterpret_cast<LRESULT>(m_pPage->m_hbrWindow), brush);

    ClickOrgIcon();
    brush = SendMessageA(m_hPage, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                         reinterpret_cast<LPARAM>(hPath));
    EXPECT_EQ(reinterpret_cast<LRESULT>(m_pPage->m_hbrWindow), brush);
    EXPECT_NE(0, brush);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetBkColor(hDC));
    ReleaseDC(m_hPage, hDC);
}

TEST_F(EditPageTest, EveryIconThePageLoadedIsReleasedWithIt)
{
    std::vector<HICON> held;
    ShowEditPageFor(Sub("App.exe"));
    held.push_back(m_pPage->m_hPreviewIcon);
    DropFile(m_hPage, Sub("App.exe"));
    held.push_back(m_pPage->m_hPreviewIcon);
    EXPECT_FALSE(IsLiveIcon(held[0]));
    DropFile(m_hPage, Sub("memo.txt"));   // the error icon, as the page's own copy
    held.push_back(m_pPage->m_hPreviewIcon);
    EXPECT_FALSE(IsLiveIcon(held[1]));
    ClickOrgIcon();
    held.push_back(m_pPage->m_hPreviewIcon);
    EXPECT_FALSE(IsLiveIcon(held[2]));
    EXPECT_TRUE(IsLiveIcon(held.back()));

    m_wizard.Stop();
    EXPECT_EQ((HICON)NULL, m_pPage->m_hPreviewIcon);
    EXPECT_FALSE(IsLiveIcon(held.back()));
    EXPECT_TRUE(IsLiveIcon(SharedErrorIcon()));
}

// GDI and USER object counts over whole page lives.
TEST(EditPageResourceTest, PageLivesLeaveNoObjectsBehind)
{
    MessageBoxRecorder boxes;
    TempFolder temp;
    ASSERT_TRUE(CopySelfTo(temp.Sub("App.exe")));
    ASSERT_TRUE(temp.WriteFile("memo.txt", "memo"));
    CString app = temp.Sub("App.exe");
    CString memo = temp.Sub("memo.txt");

    auto oneLife = [&]() {
        CRegistSheet sheet(RegistNew, NULL);
        WizardDriver wizard(&sheet);
        ASSERT_TRUE(wizard.Start());
        CRegistEntry entry;
        entry.m_strProgram = app;
        sheet.m_entry = entry;
        PropSheet_SetCurSel(wizard.Sheet(), NULL, 1);
        PumpMessages();
        HWND hPage = wizard.CurrentPage();
        ASSERT_EQ(130u, wizard.CurrentTemplate());
        DropFile(hPage, std::string(memo));
        DropFile(hPage, std::string(app));
        wizard.Press(PSBTN_NEXT);
        wizard.Press(PSBTN_BACK);
        wizard.Stop();
    };
    // The first life loads what the process keeps (classes, fonts, shared icons).
    oneLife();
    HANDLE hProcess = GetCurrentProcess();
    DWORD gdiBefore = GetGuiResources(hProcess, GR_GDIOBJECTS);
    DWORD userBefore = GetGuiResources(hProcess, GR_USEROBJECTS);
    if (gdiBefore == 0 && userBefore == 0)
        GTEST_SKIP() << "the platform does not count GUI objects (Wine answers 0); "
                        "EveryIconThePageLoadedIsReleasedWithIt checks the handles instead";
    for (int i = 0; i < 5; ++i)
        oneLife();
    DWORD gdiAfter = GetGuiResources(hProcess, GR_GDIOBJECTS);
    DWORD userAfter = GetGuiResources(hProcess, GR_USEROBJECTS);
    // Five lives load at least ten icons: a leak shows as growth, while
    // small changes come from the platform's caches.
    EXPECT_LE(gdiAfter, gdiBefore + 4) << gdiBefore << " -> " << gdiAfter;
    EXPECT_LE(userAfter, userBefore + 4) << userBefore << " -> " << userAfter;
    std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu\n", gdiBefore, gdiAfter,
                userBefore, userAfter);
}

TEST(EditPageLongPathTest, ShortComponentsBecomeTheStoredNames)
{
    TempFolder temp;
    ASSERT_TRUE(temp.MakeFolder("Long Folder Name"));
    ASSERT_TRUE(temp.MakeFolder("Long Folder Name\\表示ソフト予定の十能フォルダ"));
    ASSERT_TRUE(temp.WriteFile("Long Folder Name\\表示ソフト予定の十能フォルダ\\Program File Name.exe", "MZ"));
    CString full = temp.Sub("Long Folder Name\\表示ソフト予定の十能フォルダ\\Program File Name.exe");

    char szShort[MAX_PATH] = { 0 };
    ASSERT_NE(0u, GetShortPathNameA(full, szShort, MAX_PATH));
    EXPECT_STRNE(full, szShort) << "no short names on this file system";
    // The temporary folder itself may be given in its short form as well.
    char szLongTemp[MAX_PATH] = { 0 };
    ASSERT_NE(0u, GetLongPathNameA(full, szLongTemp, MAX_PATH));

    EXPECT_STREQ(szLongTemp, CEditPage::GetLongPathForm(szShort));
    EXPECT_STREQ(szLongTemp, CEditPage::GetLongPathForm(full));
}

TEST(EditPageLongPathTest, NamesTheSearchCannotFindAreKept)
{
    TempFolder temp;
    ASSERT_TRUE(temp.MakeFolder("表"));
    ASSERT_TRUE(temp.WriteFile("表\\ソ.txt", "x"));
    char szLongTemp[MAX_PATH] = { 0 };
    ASSERT_NE(0u, GetLongPathNameA(temp.Path(), szLongTemp, MAX_PATH));
    std::string base = szLongTemp;

    struct Case {
        std::string given;
        std::string expected;
    } cases[] = {
        // Trail bytes 0x5C of 表 and ソ are no separators.
        { base + "\\表\\ソ.txt", base + "\\表\\ソ.txt" },
        { base + "\\表\\ソ", base + "\\表\\ソ" },
        { base + "\\表\\missing\\ソ.exe", base + "\\表\\missing\\ソ.exe" },
        { base + "\\NOWHERE\\Gone\\App.exe", base + "\\NOWHERE\\Gone\\App.exe" },
        { base + "\\表\\", base + "\\表\\" },
        { base + "\\表\\*.txt", base + "\\表\\*.txt" },
        { "no folder.exe", "no folder.exe" },
        { "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(c.expected, std::string(CEditPage::GetLongPathForm(c.given.c_str())));
    }
}

TEST(EditPageLongPathTest, ComponentsTakeTheStoredLetterCase)
{
    TempFolder temp;
    ASSERT_TRUE(temp.MakeFolder("Mixed Case"));
    ASSERT_TRUE(temp.WriteFile("Mixed Case\\Tool.Exe", "MZ"));
    char szLongTemp[MAX_PATH] = { 0 };
    ASSERT_NE(0u, GetLongPathNameA(temp.Path(), szLongTemp, MAX_PATH));
    std::string base = szLongTemp;
    EXPECT_EQ(base + "\\Mixed Case\\Tool.Exe",
              std::string(CEditPage::GetLongPathForm((base + "\\MIXED CASE\\TOOL.EXE").c_str())));
}

TEST(EditPageKindTest, OnlyDotExeInAnyCaseIsAProgram)
{
    struct Case {
        const char* path;
        BOOL expected;
    } cases[] = {
        { "C:\\Tools\\App.exe", TRUE },
        { "C:\\Tools\\APP.EXE", TRUE },
        { "C:\\Tools\\App.eXe", TRUE },
        { "C:\\表\\ソ.exe", TRUE },
        { "C:\\Links\\Editor.lnk", FALSE },
        { "C:\\Docs\\README", FALSE },
        { "C:\\Ver1.exe\\notes", FALSE },
        { "C:\\Docs\\App.exe.txt", FALSE },
        { "C:\\Docs\\App.exe2", FALSE },
        { "", FALSE },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.expected, CEditPage::IsExeFile(c.path));
    }
}

class EditPageBrowseTest : public EditPageTest
{
protected:
    void BrowseIcon(FileDialogResponder& responder) { BrowseWith(m_hPage, 1005, responder); }
};

TEST_F(EditPageBrowseTest, ChosenIconFileIsShown)
{
    ShowEditPageFor(Sub("App.exe"));
    ClickOrgIcon();
    {
        FileDialogResponder responder(m_wizard.Sheet(), Sub("App.exe"));
        BrowseIcon(responder);
        EXPECT_EQ("*.ICO", responder.InitialName());
    }
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ(Sub("App.exe"), Text(1009));
    EXPECT_TRUE(m_pPage->m_bOrgIcon);
    EXPECT_EQ(Sub("App.exe"), std::string(m_pPage->m_strIconPath));
    EXPECT_EQ(m_pPage->m_hPreviewIcon, Preview());

    // Cancel changes nothing; the dialog opens where the icon file is.
    HICON hIcon = m_pPage->m_hPreviewIcon;
    FileDialogResponder responder(m_wizard.Sheet(), "");
    BrowseIcon(responder);
    EXPECT_EQ(0, lstrcmpiA(m_temp.Path(), responder.StartFolder().c_str())) << responder.StartFolder();
    EXPECT_EQ(Sub("App.exe"), Text(1009));
    EXPECT_EQ(hIcon, m_pPage->m_hPreviewIcon);
}

}  // namespace
