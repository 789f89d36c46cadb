// The file selection page, driven through its real window in a modeless
// wizard: drops through real drop handles, the file dialog answered by a
// timer, Next and Back pressed through the sheet.
#include "CNewFirst.h"
#include "CRegistSheet.h"
#include "NewFirstTestHelpers.h"
#include "TestSupport.h"
#include "WizardDriver.h"

#include <gtest/gtest.h>

namespace {

const char kNoSuchFile[] = "存在しないﾌｧｲﾙが指定されています．";
const char kNoAssociation[] =
    "アプリケーションに関連付けされていないファイルが指定されています．\nプログラムを登録できません";
const char kTooLong[] = "ファイルのパスが長すぎます．";
const char kNotInCodePage[] = "ファイルのパスに、この環境の文字コードで表せない文字が含まれています．\n"
                              "ファイル名やフォルダ名を変更してから登録してください．";

class NewFirstTest : public ::testing::Test
{
protected:
    NewFirstTest() : m_sheet(RegistNew, NULL), m_wizard(&m_sheet), m_hPage(NULL) {}

    void SetUp() override
    {
        ASSERT_TRUE(m_wizard.Start());
        m_hPage = m_wizard.CurrentPage();
        ASSERT_EQ(105u, m_wizard.CurrentTemplate());
        ASSERT_EQ(m_sheet.m_pNewFirst->m_hWnd, m_hPage);
        // A document the shell cannot open, and one it can (Wine opens .ini
        // files, though not .txt files, with notepad).
        ASSERT_TRUE(m_temp.WriteFile("data.zzq", "zzq"));
        ASSERT_TRUE(m_temp.WriteFile("notes.ini", "[notes]"));
        ASSERT_TRUE(m_temp.WriteFile("App.exe", "MZ"));
    }

    std::string Selection() const { return WindowText(GetDlgItem(m_hPage, 1016)); }
    std::string Sub(LPCSTR name) const { return std::string(m_temp.Sub(name)); }

    MessageBoxRecorder m_boxes;
    TempFolder m_temp;
    CRegistSheet m_sheet;
    WizardDriver m_wizard;
    HWND m_hPage;
};

TEST_F(NewFirstTest, OnlyNextIsEnabledAndNextWithoutChoiceStays)
{
    EXPECT_TRUE(m_wizard.IsButtonUsable(kWizNextId));
    EXPECT_FALSE(m_wizard.IsButtonEnabled(kWizBackId));
    EXPECT_EQ("", Selection());

    m_wizard.Press(PSBTN_NEXT);
    EXPECT_EQ(kNoSuchFile, m_boxes.LastText());
    EXPECT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(0, m_wizard.CurrentIndex());
}

TEST_F(NewFirstTest, NextRefusesMissingFileFolderAndFileDeletedAfterChoice)
{
    // Programs need no lookup, so each of these is accepted as selection.
    ASSERT_TRUE(m_temp.MakeFolder("Folder.exe"));
    const std::string cases[] = { Sub("Missing.exe"), Sub("Folder.exe"), Sub("App.exe") };
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        m_boxes.Clear();
        DropFile(m_hPage, path);
        EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
        EXPECT_EQ(path, Selection());
        if (path == Sub("App.exe")) {
            ASSERT_TRUE(DeleteFileA(path.c_str()));
        }
        m_wizard.Press(PSBTN_NEXT);
        EXPECT_EQ(kNoSuchFile, m_boxes.LastText());
        EXPECT_EQ(1u, m_boxes.Count());
        EXPECT_EQ(0, m_wizard.CurrentIndex());
    }
}

TEST_F(NewFirstTest, DropSelectsTheFirstFileOnly)
{
    DropFiles(m_hPage, { Sub("notes.ini"), Sub("App.exe"), Sub("data.zzq") });
    EXPECT_EQ(Sub("notes.ini"), Selection());
    // The third file would have been refused had it been looked at.
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
}

TEST_F(NewFirstTest, ShortcutIsTakenWithoutLookup)
{
    // A lookup in a missing folder would fail with "Error 3"; shortcuts skip it.
    std::string link = Sub("no folder\\Editor.lnk");
    DropFile(m_hPage, link);
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ(link, Selection());
}

TEST_F(NewFirstTest, DocumentWithoutAssociationIsRefusedAndEarlierChoiceKept)
{
    DropFile(m_hPage, Sub("notes.ini"));
    ASSERT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();

    DropFile(m_hPage, Sub("data.zzq"));
    EXPECT_EQ(kNoAssociation, m_boxes.LastText());
    EXPECT_EQ(Sub("notes.ini"), Selection());
}

TEST_F(NewFirstTest, DropOfPathThatWouldNotFitIsRefusedWhole)
{
    DropFile(m_hPage, Sub("App.exe"));

    std::string longest = PathOfLength(std::string(m_temp.Path()), "\\x.exe", 259);
    DropFile(m_hPage, longest);
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ(longest, Selection());

    std::string tooLong = PathOfLength(std::string(m_temp.Path()), "\\x.exe", 260);
    DropFile(m_hPage, tooLong);
    EXPECT_EQ(kTooLong, m_boxes.LastText());
    EXPECT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(longest, Selection());

    // Cut to 259 bytes, this path would name an existing program.
    std::string cutTarget = PathOfLength(std::string(m_temp.Path()), ".exe", 259);
    HANDLE hFile = CreateFileA(cutTarget.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    CloseHandle(hFile);
    std::string overlong = cutTarget + "\\表\\表.txt";
    DropFile(m_hPage, overlong);
    EXPECT_EQ(kTooLong, m_boxes.LastText());
    EXPECT_EQ(longest, Selection());
}

TEST_F(NewFirstTest, DropWithoutFileShowsDragError)
{
    DropFile(m_hPage, Sub("App.exe"));
    DropFiles(m_hPage, std::vector<std::string>());
    EXPECT_EQ("Drag Error", m_boxes.LastText());
    EXPECT_EQ(Sub("App.exe"), Selection());
}

TEST_F(NewFirstTest, NextStartsAFreshEntryWithTheChosenProgram)
{
    CRegistEntry& entry = m_sheet.m_entry;
    entry.m_strDispName = "old";
    entry.m_strIconPath = "C:\\old.ico";
    entry.m_bOrgIcon = TRUE;

    // A refused Next starts afresh all the same.
    m_wizard.Press(PSBTN_NEXT);
    EXPECT_EQ("", std::string(entry.m_strDispName));
    EXPECT_FALSE(entry.m_bOrgIcon);

    entry.m_strDispName = "old";
    entry.m_strCmdLine = "/old";
    DropFile(m_hPage, Sub("notes.ini"));
    m_wizard.Press(PSBTN_NEXT);
    ASSERT_EQ(130u, m_wizard.CurrentTemplate()) << m_boxes.Texts();
    EXPECT_EQ(Sub("notes.ini"), std::string(entry.m_strProgram));
    EXPECT_EQ("", std::string(entry.m_strDispName));
    EXPECT_EQ("", std::string(entry.m_strCmdLine));
    EXPECT_EQ("", std::string(entry.m_strIconPath));

    // Back shows the choice again, with Back disabled.
    m_wizard.Press(PSBTN_BACK);
    EXPECT_EQ(0, m_wizard.CurrentIndex());
    EXPECT_EQ(Sub("notes.ini"), Selection());
    EXPECT_FALSE(m_wizard.IsButtonEnabled(kWizBackId));
    EXPECT_TRUE(m_wizard.IsButtonEnabled(kWizNextId));
}

TEST_F(NewFirstTest, PathFieldIsPaintedLikeAnEditField)
{
    HDC hDC = GetDC(m_hPage);
    HWND hPath = GetDlgItem(m_hPage, 1016);
    LRESULT brush = SendMessageA(m_hPage, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                                 reinterpret_cast<LPARAM>(hPath));
    EXPECT_EQ(reinterpret_cast<LRESULT>(m_sheet.m_pNewFirst->m_hbrWindow), brush);
    EXPECT_NE(0, brush);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetBkColor(hDC));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), GetTextColor(hDC));

    // Other statics keep the dialog's own colours.
    HWND hOther = GetWindow(hPath, GW_HWNDFIRST);
    ASSERT_NE(hOther, hPath);
    LRESULT other = SendMessageA(m_hPage, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                                 reinterpret_cast<LPARAM>(hOther));
    EXPECT_NE(brush, other);
    ReleaseDC(m_hPage, hDC);
}

// The platform's file dialog, answered by a timer while it runs modally.
class NewFirstBrowseTest : public NewFirstTest
{
protected:
    // Clicks the browse button and lets the responder answer with path.
    void Browse(FileDialogResponder& responder) { BrowseWith(m_hPage, 1015, responder); }
};

TEST_F(NewFirstBrowseTest, TypedProgramNameIsTakenAndNextRefusesIt)
{
    std::string tool = Sub("TOOL.EXE");
    {
        FileDialogResponder responder(m_wizard.Sheet(), tool);
        Browse(responder);
        EXPECT_EQ("*.exe", responder.InitialName());
    }
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ(tool, Selection());

    m_wizard.Press(PSBTN_NEXT);
    EXPECT_EQ(kNoSuchFile, m_boxes.LastText());
    EXPECT_EQ(0, m_wizard.CurrentIndex());
}

TEST_F(NewFirstBrowseTest, SecondBrowseStartsInTheFolderOfTheChoice)
{
    DropFile(m_hPage, Sub("notes.ini"));
    FileDialogResponder responder(m_wizard.Sheet(), "");
    Browse(responder);
    EXPECT_EQ(0, lstrcmpiA(m_temp.Path(), responder.StartFolder().c_str()))
        << responder.StartFolder();
    // Cancel keeps the choice.
    EXPECT_EQ(Sub("notes.ini"), Selection());
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
}

TEST_F(NewFirstBrowseTest, PickedShortcutIsTakenAsItselfNotItsTarget)
{
    // Only the shortcut knows its arguments and work folder (a browser profile, say).
    ASSERT_TRUE(MakeShortcutWithArguments(Sub("Profile.lnk"), Sub("App.exe"), "--profile=work",
                                          std::string(m_temp.Path())));
    {
        FileDialogResponder responder(m_wizard.Sheet(), Sub("Profile.lnk"));
        Browse(responder);
    }
    EXPECT_EQ(0u, m_boxes.Count()) << m_boxes.Texts();
    EXPECT_EQ(Sub("Profile.lnk"), Selection());
    m_wizard.Press(PSBTN_NEXT);
    ASSERT_EQ(130u, m_wizard.CurrentTemplate()) << m_boxes.Texts();
    EXPECT_EQ(Sub("Profile.lnk"), std::string(m_sheet.m_entry.m_strProgram));
}

TEST_F(NewFirstBrowseTest, BrowsedDocumentWithoutAssociationIsRefused)
{
    DropFile(m_hPage, Sub("App.exe"));
    FileDialogResponder responder(m_wizard.Sheet(), Sub("data.zzq"));
    Browse(responder);
    EXPECT_EQ(kNoAssociation, m_boxes.LastText());
    EXPECT_EQ(Sub("App.exe"), Selection());
}

TEST_F(NewFirstBrowseTest, PathsThatArriveChangedOrCutAreRefusedFromDropAndDialog)
{
    // With best-fit stand-ins the first two would name these existing programs.
    ASSERT_TRUE(m_temp.WriteFile("Cafe.exe", "MZ") && m_temp.MakeFolder("x") && m_temp.WriteFile("x\\y.exe", "MZ"));
    wchar_t szBase[MAX_PATH] = { 0 };
    MultiByteToWideChar(CP_ACP, 0, m_temp.Path() + "\\", -1, szBase, MAX_PATH);
    // Over 280 bytes in the code page, under 200 characters.
    std::wstring deep = szBase + std::wstring(60, L'\u8868'), deeper = deep + L"\\" + std::wstring(60, L'\u8868');
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), NULL) && CreateDirectoryW(deeper.c_str(), NULL));
    char szCurrentDir[MAX_PATH] = { 0 }, szAfter[MAX_PATH] = { 0 };
    GetCurrentDirectoryA(MAX_PATH, szCurrentDir);
    DropFile(m_hPage, Sub("App.exe"));
    for (std::wstring name : { L"Caf\u00e9.exe", L"x\u00a5y.exe", L"\uD55C.exe", L"" }) {
        std::wstring path = name.empty() ? deeper + L"\\a.exe" : szBase + name;
        std::string message = name.empty() ? kTooLong : kNotInCodePage;
        CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL));
        m_boxes.Clear();
        DropFile(m_hPage, path);
        FileDialogResponder responder(m_wizard.Sheet(), "", path);
        Browse(responder);
        EXPECT_EQ(message + "\n" + message + "\n", m_boxes.Texts());
        EXPECT_EQ(Sub("App.exe"), Selection());
    }
    // Browsing never moves the current folder (a current folder cannot be removed).
    GetCurrentDirectoryA(MAX_PATH, szAfter);
    EXPECT_STREQ(szCurrentDir, szAfter);
}

}  // namespace
