// Path helpers on Shift-JIS paths: 表 ソ 能 予 十 end in the byte 0x5C, which
// must never count as a backslash, and no result may be a cut path.
#include "CRegistLayout.h"
#include "CResidentChannel.h"
#include "CWinApp.h"
#include "PathUtil.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::wstring Wide(LPCSTR text)
{
    wchar_t buffer[1024] = {0};
    MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, 1024);
    return buffer;
}

// path + a name of 'n' repeated so that the whole reaches length bytes.
CString PadTo(const CString& path, int length)
{
    return path + CString('n', length - path.GetLength());
}

}  // namespace

TEST(AppendBackslash, Table)
{
    CString p258 = PadTo("C:\\", 258);
    CString p259 = PadTo("C:\\", 259);
    struct Case { CString path; CString expected; } cases[] = {
        { "C", "C:\\" },
        { "C:\\Tools", "C:\\Tools\\" },
        { "C:\\Tools\\", "C:\\Tools\\" },
        { "C:", "C:" },
        { "", "" },
        { "Tools", "Tools" },
        { "表", "表" },                       // 95 5C: no backslash in it
        { "C:\\表", "C:\\表\\" },
        { "C:\\a\\ソ", "C:\\a\\ソ\\" },
        { "C:\\能予十", "C:\\能予十\\" },
        { "C:\\表\\", "C:\\表\\" },
        { p258, p258 + "\\" },
        { p259, p259 },                        // the backslash would not fit
        { p259.Left(257) + "表", p259.Left(257) + "表" },
        { p258.Left(256) + "表", p258.Left(256) + "表\\" },
    };
    for (const Case& c : cases) {
        CString path = c.path;
        AppendBackslash(path);
        EXPECT_STREQ(c.expected, path) << "path [" << c.path << "] " << c.path.GetLength();
    }
}

TEST(GetDirPart, Table)
{
    struct Case { CString path; CString expected; } cases[] = {
        { "C:\\Tools\\Tavro.exe", "C:\\Tools\\" },
        { "Tavro.exe", "" },
        { "C:\\表\\ソ.exe", "C:\\表\\" },
        { "C:\\a\\表", "C:\\a\\" },            // 表 is the file name
        { "C:\\能\\", "C:\\能\\" },
        { "C:Tavro.exe", "C:" },
        { "C:/a/b.exe", "C:/a/" },
        { "", "" },
        { PadTo("C:\\a\\", 259), "C:\\a\\" },
        { PadTo("C:\\a\\", 260), "" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.expected, GetDirPart(c.path)) << "path [" << c.path << "]";
}

TEST(GetModuleDir, OfTheRunningProgram)
{
    CString dir = GetModuleDir();
    ASSERT_TRUE(EndsWithBackslash(dir)) << dir;
    EXPECT_TRUE(FileExists(dir + "entrystore_tests.exe")) << dir;
}

// The program's own file copied to other places, loaded as the application's module.
TEST(GetModuleDir, FolderNamesAndLength)
{
    char self[MAX_PATH] = {0};
    ASSERT_LT(GetModuleFileNameA(NULL, self, MAX_PATH), static_cast<DWORD>(MAX_PATH));
    TempFolder folder("store_mod");
    ASSERT_TRUE(folder.MakeFolder("表"));
    ASSERT_TRUE(folder.MakeFolder("表\\ソ十"));
    // "\m.exe" is 6 bytes: folders of 253 and 254 bytes give paths of 259 and 260.
    struct Case { std::wstring folder; CString expected; } cases[] = {
        { Wide(folder.Sub("表\\ソ十")), folder.Sub("表\\ソ十\\") },
        { Wide(PadTo(folder.Path() + "\\", 253)), PadTo(folder.Path() + "\\", 253) + "\\" },
        { Wide(PadTo(folder.Path() + "\\", 254)), "" },
        // The ANSI call drops a 表 that does not fit, without an error.
        { Wide(PadTo(folder.Path() + "\\", 251) + "表表表表表表"), "" },
        // Best fit reads "te" and "t\x".
        { Wide(folder.Path()) + L"\\t\u00e9", "" },
        { Wide(folder.Path()) + L"\\t\u00a5x", "" },
    };
    for (const Case& c : cases) {
        std::wstring target = L"\\\\?\\" + c.folder;
        CreateDirectoryW(target.c_str(), NULL);
        target += L"\\m.exe";
        ASSERT_TRUE(CopyFileW(Wide(self).c_str(), target.c_str(), FALSE)) << c.folder;
        HMODULE module = LoadLibraryExW(target.c_str(), NULL, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_TRUE(module != NULL) << c.folder;
        {
            CWinApp app;
            app.m_hInstance = module;
            EXPECT_STREQ(c.expected, GetModuleDir()) << c.folder;
        }
        FreeLibrary(module);
    }
}

TEST(FileExists, Table)
{
    TempFolder folder("store_exists");
    ASSERT_TRUE(folder.WriteFile("a.txt", "a"));
    ASSERT_TRUE(folder.MakeFolder("sub"));
    ASSERT_TRUE(folder.MakeFolder("表"));
    ASSERT_TRUE(folder.WriteFile("表\\ソ.txt", "x"));
    struct Case { CString path; BOOL expected; } cases[] = {
        { folder.Sub("a.txt"), TRUE },
        { folder.Sub("A.TXT"), TRUE },
        { folder.Sub("*.txt"), TRUE },          // a pattern: the first match decides
        { folder.Sub("表\\ソ.txt"), TRUE },
        { folder.Sub("sub"), FALSE },
        { folder.Sub("表"), FALSE },
        { folder.Sub("missing.txt"), FALSE },
        { folder.Path(), FALSE },
        { "", FALSE },
        { PadTo(folder.Path() + "\\", 260), FALSE },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, FileExists(c.path)) << "path [" << c.path << "]";
}

// The Z: form Wine gives every file through the Unix root; "" elsewhere.
static CString UnixRootForm(const CString& path)
{
    typedef char* (CDECL * UnixNameFn)(LPCWSTR);
    UnixNameFn fn = reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH] = {0};
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
    char* unixName = fn ? fn(wide) : NULL;
    if (!unixName)
        return CString();
    std::string result = std::string("Z:") + unixName;
    HeapFree(GetProcessHeap(), 0, unixName);
    for (char& ch : result)
        ch = ch == '/' ? '\\' : ch;
    return CString(result.c_str());
}

TEST(IsSameFile, OtherFormsOfOnePathNameTheSameFile)
{
    TempFolder folder("store_same");
    ASSERT_TRUE(folder.MakeFolder("Long Folder Name"));
    ASSERT_TRUE(folder.WriteFile("Long Folder Name\\tavro.ini", "a"));
    ASSERT_TRUE(folder.WriteFile("other.ini", "b"));
    // The same registration's name in another Tavro folder.
    ASSERT_TRUE(folder.MakeFolder("Other Tavro"));
    ASSERT_TRUE(folder.MakeFolder("Other Tavro\\Long Folder Name"));
    ASSERT_TRUE(folder.WriteFile("Other Tavro\\Long Folder Name\\tavro.ini", "a"));
    CString file = folder.Sub("Long Folder Name\\tavro.ini");
    char shortForm[MAX_PATH] = {0};
    ASSERT_NE(0u, GetShortPathNameA(file, shortForm, MAX_PATH));
    CString upper = file;
    upper.MakeUpper();
    CString unixForm = UnixRootForm(file);
    struct Case { CString other; BOOL expected; } cases[] = {
        { file, TRUE },
        { upper, TRUE },
        { shortForm, TRUE },
        { unixForm.IsEmpty() ? file : unixForm, TRUE },
        { folder.Sub("Long Folder Name"), FALSE },
        { folder.Sub("other.ini"), FALSE },
        { folder.Sub("gone\\tavro.ini"), FALSE },
        { folder.Sub("Other Tavro\\Long Folder Name\\tavro.ini"), FALSE },
    };
    // The residents' channel names a registration by the file's key: the same
    // answer, and the same session-wide object name.
    CResidentChannel::Key key, otherKey;
    ASSERT_TRUE(CResidentChannel::KeyOf(file, key));
    char name[MAX_PATH], otherName[MAX_PATH];
    CResidentChannel::ObjectName(key, name, MAX_PATH);
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, IsSameFile(file, c.other)) << c.other.GetString();
        BOOL known = CResidentChannel::KeyOf(c.other, otherKey);
        CResidentChannel::ObjectName(otherKey, otherName, MAX_PATH);
        EXPECT_EQ(c.expected, known && CResidentChannel::SameKey(key, otherKey)) << c.other.GetString();
        EXPECT_EQ(c.expected, lstrcmpA(name, otherName) == 0) << c.other.GetString();
    }
    // Where a file is missing the text decides.
    EXPECT_TRUE(IsSameFile("X:\\gone\\tavro.ini", "x:\\GONE\\tavro.ini"));
    EXPECT_FALSE(IsSameFile("X:\\gone\\tavro.ini", "Y:\\gone\\tavro.ini"));
}

// Every path and name of a registration comes from the tool's folder and the
// entry's name; the settings path leads back to both.
TEST(CRegistLayout, PathsOfARegistration)
{
    CString longName = PadTo("", 250);
    struct Case { const char* toolDir; const char* name; const char* startup; const char* ini; const char* link;
                  const char* startupLink; BOOL fits; } cases[] = {
        { "C:\\Tools\\Tavro\\", "calc.exe", "C:\\S", "C:\\Tools\\Tavro\\calc.exe\\tavro.ini",
          "C:\\Tools\\Tavro\\calc.exe\\calc.exe.lnk", "C:\\S\\calc.exe.lnk", TRUE },
        { "C:\\表\\", "表示ソフト.exe", "", "C:\\表\\表示ソフト.exe\\tavro.ini",
          "C:\\表\\表示ソフト.exe\\表示ソフト.exe.lnk", "", TRUE },
        { "", "calc.exe", "", "calc.exe\\tavro.ini", "calc.exe\\calc.exe.lnk", "", FALSE },
        { "C:\\T\\", "", "", "C:\\T\\tavro.ini", "C:\\T\\.lnk", "", FALSE },
        { "C:\\T\\", longName, "", NULL, NULL, "", FALSE },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRegistLayout layout(c.toolDir, c.name);
        layout.SetStartupFolder(c.startup[0] ? 0 : ERROR_PATH_NOT_FOUND, c.startup);
        EXPECT_EQ(c.fits, layout.Fits());
        EXPECT_STREQ(c.startupLink, layout.StartupLinkPath());
        if (!c.ini)
            continue;
        EXPECT_STREQ(c.ini, layout.SettingsPath());
        EXPECT_STREQ(c.link, layout.EntryLinkPath());
        CRegistLayout back;
        EXPECT_EQ(c.toolDir[0] != '\0', CRegistLayout::FromSettingsPath(c.ini, back));
        if (c.toolDir[0] && c.name[0]) {
            EXPECT_STREQ(c.toolDir, back.ToolDir());
            EXPECT_STREQ(c.name, back.EntryName());
        }
    }
    // One icon rule: an own icon only when the flag is set and a file is named.
    EXPECT_STREQ("i.ico", CRegistLayout::IconSource(TRUE, "i.ico", "p.exe"));
    EXPECT_STREQ("p.exe", CRegistLayout::IconSource(TRUE, "", "p.exe"));
    EXPECT_STREQ("p.exe", CRegistLayout::IconSource(FALSE, "i.ico", "p.exe"));
}
