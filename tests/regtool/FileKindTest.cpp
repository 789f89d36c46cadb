// File kind and icon resolution: splitting paths (per character of code page
// 932), the association lookup and its messages, the registrability test and
// the icon loading with its error-icon fallback.
#include "FileKind.h"
#include "NewFirstTestHelpers.h"
#include "TestSupport.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <string>
#include <vector>

namespace {

const char kNoAssocMessage[] =
    "アプリケーションに関連付けされていないファイルが指定されています．\nプログラムを登録できません";
const char kIconMessage[] = "アイコンが読み込めません．";
const char kTooLongMessage[] = "ファイルのパスが長すぎます．";

std::string ErrorMessage(int nCode)
{
    CString text;
    text.Format("Error %d が発生したため、プログラムを登録できません\n"
                "エラーの説明は附属ドキュメントをご覧ください",
                nCode);
    return text.GetString();
}

// A path of exactly nLength bytes ending in name.
std::string PathOfLength(size_t nLength, const std::string& name)
{
    std::string path = "C:\\";
    return path + std::string(nLength - path.size() - name.size(), 'a') + name;
}

std::string Lower(std::string text)
{
    CharLowerA(&text[0]);
    return text;
}

// ---------------------------------------------------------------- GetPathPart

struct SplitCase {
    const char* pszPath;
    const char* pszNameExt;
    const char* pszExt;
    const char* pszDriveDir;
};

TEST(GetPathPartTest, SplitsIntoNameExtensionAndFolder)
{
    const SplitCase cases[] = {
        { "C:\\Tools\\App.exe", "App.exe", ".exe", "C:\\Tools\\" },
        { "memo.txt", "memo.txt", ".txt", "" },
        // A dot in a folder name is no extension.
        { "D:\\Ver1.2\\notes", "notes", "", "D:\\Ver1.2\\" },
        { "C:\\Docs\\README", "README", "", "C:\\Docs\\" },
        { "C:\\a\\archive.tar.gz", "archive.tar.gz", ".gz", "C:\\a\\" },
        { "C:\\a\\.profile", ".profile", ".profile", "C:\\a\\" },
        { "C:\\a\\name.", "name.", ".", "C:\\a\\" },
        { "C:\\Tools\\", "", "", "C:\\Tools\\" },
        { "C:", "", "", "C:" },
        { "C:file.ini", "file.ini", ".ini", "C:" },
        { "C:/Unix/style.txt", "style.txt", ".txt", "C:/Unix/" },
        { "\\\\server\\share\\f.ini", "f.ini", ".ini", "\\\\server\\share\\" },
        { "", "", "", "" },
        // Second bytes 0x5C (表 95 5C, ソ 83 5C, 予 97 5C, 十 8F 5C) are no separators.
        { "C:\\予定表\\ソフト.exe", "ソフト.exe", ".exe", "C:\\予定表\\" },
        { "C:\\data\\十", "十", "", "C:\\data\\" },
        { "C:\\表\\能力.txt", "能力.txt", ".txt", "C:\\表\\" },
        { "表.ソ", "表.ソ", ".ソ", "" },
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const SplitCase& c = cases[i];
        SCOPED_TRACE(c.pszPath);
        EXPECT_EQ(std::string(c.pszNameExt), GetPathPart(c.pszPath, PathNameExt).GetString());
        EXPECT_EQ(std::string(c.pszExt), GetPathPart(c.pszPath, PathExt).GetString());
        EXPECT_EQ(std::string(c.pszDriveDir), GetPathPart(c.pszPath, PathDriveDir).GetString());
    }
}

TEST(GetPathPartTest, PathsOf260BytesOrMoreAreRefused)
{
    std::string fits = PathOfLength(259, "\\x.exe");
    EXPECT_EQ(std::string("x.exe"), GetPathPart(fits.c_str(), PathNameExt).GetString());
    EXPECT_EQ(std::string(".exe"), GetPathPart(fits.c_str(), PathExt).GetString());
    EXPECT_EQ(fits.substr(0, fits.size() - 5), GetPathPart(fits.c_str(), PathDriveDir).GetString());

    for (size_t nLength : { 260u, 261u, 400u, 1000u }) {
        std::string path = PathOfLength(nLength, "\\x.exe");
        SCOPED_TRACE(nLength);
        EXPECT_TRUE(GetPathPart(path.c_str(), PathNameExt).IsEmpty());
        EXPECT_TRUE(GetPathPart(path.c_str(), PathExt).IsEmpty());
        EXPECT_TRUE(GetPathPart(path.c_str(), PathDriveDir).IsEmpty());
    }
    EXPECT_TRUE(GetPathPart(NULL, PathNameExt).IsEmpty());
}

// ------------------------------------------------- ReportFindExecutableError

TEST(ReportFindExecutableErrorTest, EveryCodeUpTo32IsAFailureWithItsMessage)
{
    for (int nCode = 0; nCode <= 32; ++nCode) {
        SCOPED_TRACE(nCode);
        MessageBoxRecorder boxes;
        EXPECT_TRUE(ReportFindExecutableError(nCode));
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ(nCode == 31 ? std::string(kNoAssocMessage) : ErrorMessage(nCode),
                  boxes.LastText());
        EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.Boxes()[0].type);
    }
}

TEST(ReportFindExecutableErrorTest, CodesAbove32AreSuccessWithoutMessage)
{
    MessageBoxRecorder boxes;
    for (int nCode : { 33, 42, 1000, 0x7FFFFFFF }) {
        SCOPED_TRACE(nCode);
        EXPECT_FALSE(ReportFindExecutableError(nCode));
    }
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

// ------------------------------------------------------ FindAssociatedProgram

class AssociationTest : public ::testing::Test
{
protected:
    void SetUp()
    {
        ASSERT_TRUE(m_folder.WriteFile("setup.ini", "[a]\r\nb=c\r\n"));
        ASSERT_TRUE(m_folder.WriteFile("data.zzq", "?"));
        ASSERT_TRUE(m_folder.WriteFile("README", "read me"));
        ASSERT_TRUE(m_folder.MakeFolder("予定表"));
        ASSERT_TRUE(m_folder.WriteFile("予定表\\十.ini", "[a]\r\n"));
        // Something already in the caller's buffer must not survive a lookup.
        std::fill(m_result, m_result + kAssocResultSize, 'X');
    }

    bool ResultIsAllZero() const
    {
        for (int i = 0; i < kAssocResultSize; ++i) {
            if (m_result[i] != '\0')
                return false;
        }
        return true;
    }

    TempFolder m_folder;
    char m_result[kAssocResultSize];
};

TEST_F(AssociationTest, AssociatedDocumentsGiveTheirProgram)
{
    // The platform associates .ini files with notepad (.txt has no association
    // in a new Wine prefix).
    for (const char* pszName : { "setup.ini", "SETUP.INI", "予定表\\十.ini" }) {
        SCOPED_TRACE(pszName);
        int nCode = FindAssociatedProgram(m_folder.Sub(pszName), m_result);
        EXPECT_GT(nCode, 32);
        EXPECT_NE(std::string::npos, Lower(m_result).find("notepad")) << m_result;
    }
}

// A shortcut as the shell writes one, naming target, or (nFolder given) only
// the item id list of that special folder, as a Start menu app's shortcut.
bool MakeShortcut(const CString& link, const CString& target, int nFolder = -1)
{
    CoInitialize(NULL);
    IShellLinkA* pLink = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&pLink))))
        return false;
    LPITEMIDLIST pidl = NULL;
    if (nFolder >= 0 && SUCCEEDED(SHGetSpecialFolderLocation(NULL, nFolder, &pidl)))
        pLink->SetIDList(pidl);
    else
        pLink->SetPath(target);
    CoTaskMemFree(pidl);
    IPersistFile* pFile = NULL;
    WCHAR wide[MAX_PATH] = { 0 };
    MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH);
    bool saved = SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile))) &&
                 SUCCEEDED(pFile->Save(wide, TRUE));
    if (pFile)
        pFile->Release();
    pLink->Release();
    CoUninitialize();
    return saved;
}

TEST_F(AssociationTest, ShortcutsGiveTheProgramTheyStart)
{
    char self[MAX_PATH] = { 0 };
    GetModuleFileNameA(NULL, self, MAX_PATH);
    ASSERT_TRUE(MakeShortcut(m_folder.Sub("表ソ.lnk"), self));
    EXPECT_GT(FindAssociatedProgram(m_folder.Sub("表ソ.lnk"), m_result), 32);
    EXPECT_EQ(Lower(self), Lower(m_result));

    // A shortcut to a document gives the document's program.
    ASSERT_TRUE(MakeShortcut(m_folder.Sub("設定.lnk"), m_folder.Sub("setup.ini")));
    EXPECT_GT(FindAssociatedProgram(m_folder.Sub("設定.lnk"), m_result), 32);
    EXPECT_NE(std::string::npos, Lower(m_result).find("notepad")) << m_result;

    // What cannot be read as a shortcut is left to the platform's lookup.
    ASSERT_TRUE(m_folder.WriteFile("broken.lnk", "not a shortcut"));
    int nCode = FindAssociatedProgram(m_folder.Sub("broken.lnk"), m_result);
    EXPECT_LE(nCode, 32);
}

TEST_F(AssociationTest, UnknownTypeGives31AndAZeroedResult)
{
    EXPECT_EQ(SE_ERR_NOASSOC, FindAssociatedProgram(m_folder.Sub("data.zzq"), m_result));
    EXPECT_TRUE(ResultIsAllZero());
}

TEST_F(AssociationTest, MissingFolderOrFileGivesNotFound)
{
    int nCode = FindAssociatedProgram(m_folder.Sub("no such folder\\setup.ini"), m_result);
    EXPECT_TRUE(nCode == SE_ERR_FNF || nCode == SE_ERR_PNF) << nCode;
    nCode = FindAssociatedProgram(m_folder.Sub("missing.ini"), m_result);
    EXPECT_TRUE(nCode == SE_ERR_FNF || nCode == SE_ERR_PNF) << nCode;
    EXPECT_TRUE(ResultIsAllZero());
}

TEST_F(AssociationTest, TooLongPathIsNotLookedUp)
{
    std::string path = PathOfLength(260, "\\setup.ini");
    EXPECT_EQ(0, FindAssociatedProgram(path.c_str(), m_result));
    EXPECT_TRUE(ResultIsAllZero());
}

// -------------------------------------------------------------- IsRegistrable

TEST_F(AssociationTest, ProgramsAndShortcutsPassWithoutLookup)
{
    MessageBoxRecorder boxes;
    // None of these exist, and their folders neither: no lookup may run.
    for (const char* pszPath : { "C:\\Apps\\TOOL.Exe", "C:\\Links\\Editor.lnk", "X:\\nowhere\\a.EXE",
                                 "Q:\\b.LnK", "C:\\予定表\\ソフト.exe", "tool.exe" }) {
        SCOPED_TRACE(pszPath);
        EXPECT_TRUE(IsRegistrable(pszPath));
    }
    EXPECT_TRUE(IsRegistrable(PathOfLength(259, "\\x.exe").c_str()));
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(AssociationTest, AssociatedDocumentsPass)
{
    MessageBoxRecorder boxes;
    EXPECT_TRUE(IsRegistrable(m_folder.Sub("setup.ini")));
    EXPECT_TRUE(IsRegistrable(m_folder.Sub("予定表\\十.ini")));
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
}

TEST_F(AssociationTest, DocumentWithoutAssociationIsRefusedWithCode31Message)
{
    MessageBoxRecorder boxes;
    EXPECT_FALSE(IsRegistrable(m_folder.Sub("data.zzq")));
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ(std::string(kNoAssocMessage), boxes.LastText());
}

TEST_F(AssociationTest, DocumentsTheShellOpensWithoutAProgramFilePass)
{
    ShellOnlyFileTypes types;
    ASSERT_TRUE(m_folder.WriteFile("photo.tavdelegate", "x"));
    ASSERT_TRUE(m_folder.WriteFile("song.tavpackaged", "x"));
    ASSERT_TRUE(MakeShortcut(m_folder.Sub("song.lnk"), m_folder.Sub("song.tavpackaged")));
    MessageBoxRecorder boxes;
    for (const char* pszName : { "photo.tavdelegate", "song.tavpackaged", "song.lnk" }) {
        SCOPED_TRACE(pszName);
        EXPECT_EQ(SE_ERR_NOASSOC, FindAssociatedProgram(m_folder.Sub(pszName), m_result));
        EXPECT_TRUE(IsRegistrable(m_folder.Sub(pszName)));
    }
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_FALSE(IsRegistrable(m_folder.Sub("data.zzq")));
    EXPECT_EQ(std::string(kNoAssocMessage), boxes.LastText());
}

TEST_F(AssociationTest, ShortcutToAMissingFileIsRefusedNamingIt)
{
    ASSERT_TRUE(m_folder.WriteFile("gone.exe", "x"));
    ASSERT_TRUE(MakeShortcut(m_folder.Sub("gone.lnk"), m_folder.Sub("gone.exe")));
    ASSERT_TRUE(DeleteFileA(m_folder.Sub("gone.exe")));
    MessageBoxRecorder boxes;
    EXPECT_FALSE(IsRegistrable(m_folder.Sub("gone.lnk")));
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_NE(std::string::npos, Lower(boxes.LastText()).find(Lower(m_folder.Sub("gone.exe").GetString())))
        << boxes.LastText();
}

std::vector<BYTE> IconPixels(HICON hIcon);

// A shortcut with its target only in its environment block (flag 0x200).
bool WriteEnvShortcut(const TempFolder& folder, LPCSTR pszName, const std::string& target)
{
    std::string header(76, '\0'), block(8 + 260 + 520, '\0');
    header.replace(0, 20, std::string("\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20));
    header[0x15] = 0x02;
    block.replace(0, 8, std::string("\x14\x03\0\0\x01\0\0\xA0", 8));
    block.replace(8, target.size(), target);
    return folder.WriteFile(pszName, header + block + std::string(4, '\0'));
}

TEST_F(AssociationTest, ShortcutTargetsAreClassifiedAsTheShellOpensThem)
{
    char szWindir[MAX_PATH] = { 0 };
    ExpandEnvironmentStringsA("%windir%", szWindir, MAX_PATH);
    ASSERT_TRUE(MakeShortcut(m_folder.Sub("コントロール.lnk"), "", CSIDL_CONTROLS));
    ASSERT_TRUE(MakeShortcut(m_folder.Sub("PC.lnk"), "", CSIDL_DRIVES));
    // An installer's descriptor, in the form the platform's link object takes it.
    ASSERT_TRUE(MakeShortcut(m_folder.Sub("msi.lnk"), "::{9db1186e-40df-11d1-aa8c-00c04fb67863}:TavroComponent::"));
    ASSERT_TRUE(WriteEnvShortcut(m_folder, "env.lnk", "%windir%\\notepad.exe"));
    ASSERT_TRUE(WriteEnvShortcut(m_folder, "envgone.lnk", "%windir%\\tavro-gone.exe"));
    ASSERT_TRUE(WriteEnvShortcut(m_folder, "envlong.lnk", "%windir%\\" + std::string(250, 'a') + ".exe"));
    const struct {
        const char* pszName;
        int nFolder;           // the special folder a shortcut to a shell item starts
        bool bRegistrable;
        bool bOpenedByShell;   // no program file: code 31, the shell opens it
        std::string message;
    } cases[] = {
        { "コントロール.lnk", CSIDL_CONTROLS, true, true, "" },
        { "PC.lnk", CSIDL_DRIVES, true, true, "" },
        { "msi.lnk", -1, true, true, "" },
        { "env.lnk", -1, true, false, "" },
        { "envgone.lnk", -1, false, false, "ショートカットのリンク先が見つかりません．\n" + std::string(szWindir)
                                              + "\\tavro-gone.exe\nプログラムを登録できません" },
        { "envlong.lnk", -1, false, false, kTooLongMessage },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        MessageBoxRecorder boxes;
        EXPECT_EQ(c.bRegistrable ? TRUE : FALSE, IsRegistrable(m_folder.Sub(c.pszName)));
        EXPECT_EQ(c.message, c.message.empty() ? std::string(boxes.Texts()) : boxes.LastText());
        int nCode = FindAssociatedProgram(m_folder.Sub(c.pszName), m_result);
        if (c.bOpenedByShell) {
            EXPECT_TRUE(nCode == SE_ERR_NOASSOC && SystemCanOpen(m_folder.Sub(c.pszName))) << nCode;
        } else if (c.bRegistrable) {
            EXPECT_EQ(Lower(szWindir) + "\\notepad.exe", Lower(m_result));
        }
        if (c.nFolder >= 0) {   // the item's own icon, as Explorer draws it: no arrow, no stand-in
            LPITEMIDLIST pidl = NULL;
            SHFILEINFOA info = {};
            SHGetSpecialFolderLocation(NULL, c.nFolder, &pidl);
            SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_ICON);
            HICON hIcon = LoadFileIcon(m_folder.Sub(c.pszName), m_folder.Sub(c.pszName));
            EXPECT_EQ(IconPixels(info.hIcon), IconPixels(hIcon));
            DestroyIcon(hIcon);
            DestroyIcon(info.hIcon);
            CoTaskMemFree(pidl);
        }
    }
}

TEST_F(AssociationTest, DocumentInMissingFolderIsRefusedWithItsCode)
{
    MessageBoxRecorder boxes;
    EXPECT_FALSE(IsRegistrable(m_folder.Sub("no such folder\\setup.ini")));
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_TRUE(boxes.LastText() == ErrorMessage(SE_ERR_FNF) || boxes.LastText() == ErrorMessage(SE_ERR_PNF))
        << boxes.LastText();
}

TEST_F(AssociationTest, FileWithoutExtensionGoesThroughTheLookup)
{
    MessageBoxRecorder boxes;
    char szResult[kAssocResultSize];
    int nCode = FindAssociatedProgram(m_folder.Sub("README"), szResult);
    // Whatever the platform answers, the test follows the lookup's code.
    EXPECT_EQ(nCode <= 32 ? FALSE : TRUE, IsRegistrable(m_folder.Sub("README")));
    EXPECT_EQ(nCode <= 32 ? 1u : 0u, boxes.Count());
}

TEST_F(AssociationTest, TooLongPathIsRefusedWithItsOwnMessage)
{
    for (const char* pszName : { "\\x.exe", "\\memo.txt" }) {
        SCOPED_TRACE(pszName);
        MessageBoxRecorder boxes;
        EXPECT_FALSE(IsRegistrable(PathOfLength(260, pszName).c_str()));
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ(std::string(kTooLongMessage), boxes.LastText());
    }
}

// --------------------------------------------------------------- LoadFileIcon

// The pixels of an icon's colour image, for telling two icons apart.
std::vector<BYTE> IconPixels(HICON hIcon)
{
    std::vector<BYTE> pixels;
    ICONINFO info;
    if (!GetIconInfo(hIcon, &info))
        return pixels;
    BITMAP bm;
    HBITMAP hbm = info.hbmColor ? info.hbmColor : info.hbmMask;
    if (GetObjectA(hbm, sizeof(bm), &bm)) {
        BITMAPINFO bi;
        ZeroMemory(&bi, sizeof(bi));
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = bm.bmWidth;
        bi.bmiHeader.biHeight = bm.bmHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        pixels.resize(static_cast<size_t>(bm.bmWidth) * bm.bmHeight * 4);
        HDC hdc = GetDC(NULL);
        GetDIBits(hdc, hbm, 0, bm.bmHeight, &pixels[0], &bi, DIB_RGB_COLORS);
        ReleaseDC(NULL, hdc);
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return pixels;
}

bool IsUsableIcon(HICON hIcon)
{
    return hIcon != NULL && !IconPixels(hIcon).empty();
}

CString OwnExecutable()
{
    char szPath[MAX_PATH] = { 0 };
    GetModuleFileNameA(NULL, szPath, MAX_PATH);
    return CString(szPath);
}

TEST(LoadFileIconTest, ProgramGivesItsFirstIconWithoutMessage)
{
    MessageBoxRecorder boxes;
    // This test program carries the tool's resources: its first icon is 128.
    HICON hIcon = LoadFileIcon(OwnExecutable());
    ASSERT_TRUE(IsUsableIcon(hIcon));
    EXPECT_NE(reinterpret_cast<UINT_PTR>(hIcon), 1u);
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    HICON hApp = static_cast<HICON>(LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                               IMAGE_ICON, 32, 32, 0));
    EXPECT_EQ(IconPixels(hApp), IconPixels(hIcon));
    EXPECT_TRUE(DestroyIcon(hIcon));
    DestroyIcon(hApp);
}

TEST(LoadFileIconTest, FileWithoutIconsGivesMessageAndAnErrorIconTheCallerMayRelease)
{
    TempFolder folder;
    ASSERT_TRUE(folder.WriteFile("memo.txt", "no icons here"));
    HICON hShared = LoadIconA(NULL, MAKEINTRESOURCEA(32513));
    std::vector<BYTE> errorPixels = IconPixels(hShared);
    ASSERT_FALSE(errorPixels.empty());

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        MessageBoxRecorder boxes;
        HICON hIcon = LoadFileIcon(folder.Sub("memo.txt"));
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ(std::string(kIconMessage), boxes.LastText());
        ASSERT_TRUE(IsUsableIcon(hIcon));
        EXPECT_EQ(errorPixels, IconPixels(hIcon));
        // The caller releases what it got; the system's icon stays usable.
        EXPECT_NE(hShared, hIcon);
        EXPECT_TRUE(DestroyIcon(hIcon));
        EXPECT_TRUE(IsUsableIcon(LoadIconA(NULL, MAKEINTRESOURCEA(32513))));
    }
}

TEST(LoadFileIconTest, MissingOrTooLongPathGivesTheErrorIcon)
{
    TempFolder folder;
    const std::string paths[] = { folder.Sub("missing.exe").GetString(), PathOfLength(260, "\\x.exe"),
                                  PathOfLength(300, "\\x.ico"), "" };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        MessageBoxRecorder boxes;
        HICON hIcon = LoadFileIcon(path.c_str());
        EXPECT_EQ(1u, boxes.Count());
        EXPECT_EQ(std::string(kIconMessage), boxes.LastText());
        EXPECT_TRUE(IsUsableIcon(hIcon));
        EXPECT_TRUE(DestroyIcon(hIcon));
    }
}

}  // namespace
