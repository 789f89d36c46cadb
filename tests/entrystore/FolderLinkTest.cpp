// Removal next to things that are not what their names say. Under Wine a
// Unix symbolic link to a file looks like a plain file and DeleteFileA
// deletes its target; RemoveDirectoryA on a link to a folder removes the
// (empty) target; a Unix name with ¥ comes back from FindFirstFileA with
// backslashes. None of that may reach anything outside the removed tree.
#include "CFolderUtil.h"
#include "PathUtil.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::wstring Wide(UINT codePage, const char* text)
{
    wchar_t buffer[1024] = {0};
    MultiByteToWideChar(codePage, 0, text, -1, buffer, 1024);
    return buffer;
}

// The Unix path of a Windows path, from Wine's own export; "" elsewhere.
std::wstring UnixPath(const CString& path)
{
    typedef char* (CDECL * UnixNameFn)(LPCWSTR);
    UnixNameFn fn = reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* unixName = fn ? fn(Wide(CP_ACP, path).c_str()) : NULL;
    if (!unixName)
        return std::wstring();
    std::wstring result = Wide(CP_UTF8, unixName);
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

// Runs a Unix command through Wine's start.exe (a Windows program cannot call
// symlink() itself, and CreateSymbolicLinkA in Wine 8 reports success without
// creating anything). start.exe does not wait for a Unix process: the caller
// waits for the command's effect.
bool RunUnix(const std::wstring& arguments)
{
    std::wstring command = L"C:\\windows\\system32\\start.exe /unix " + arguments;
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL, &si,
                        &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 20000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool Listed(const CString& path)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA(path, &data);
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
    return hFind != INVALID_HANDLE_VALUE;
}

// Makes folder\name a Unix symbolic link to target.
bool MakeUnixLink(const CString& target, const CString& folder, const char* name)
{
    std::wstring unixTarget = UnixPath(target);
    std::wstring unixFolder = UnixPath(folder);
    if (unixTarget.empty() || unixFolder.empty())
        return false;
    CString link = folder + "\\" + name;
    return RunUnix(L"/bin/ln -s \"" + unixTarget + L"\" \"" + unixFolder + L"/" +
                   Wide(CP_ACP, name) + L"\"") &&
           PumpUntil([&] { return Listed(link); });
}

void RemoveUnixLink(const CString& link)
{
    RunUnix(L"/bin/rm -f \"" + UnixPath(link) + L"\"");
    PumpUntil([&] { return !Listed(link); });
}

}  // namespace

TEST(RemoveFolderTree, LeavesLinkTargetsAlone)
{
    TempFolder folder("store_link");
    ASSERT_TRUE(folder.WriteFile("victim.txt", "keep"));
    ASSERT_TRUE(folder.MakeFolder("outside"));
    ASSERT_TRUE(folder.WriteFile("outside\\inner.txt", "keep"));
    ASSERT_TRUE(folder.MakeFolder("empty"));
    struct Case { const char* target; CFolderUtil::FailureKind kind; const char* survivor; } cases[] = {
        { "victim.txt", CFolderUtil::FailFile, "victim.txt" },
        { "outside", CFolderUtil::FailFolder, "outside\\inner.txt" },
        { "empty", CFolderUtil::FailFolder, "empty" },
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(folder.MakeFolder("e"));
        ASSERT_TRUE(folder.WriteFile("e\\plain.txt", "x"));
        if (!MakeUnixLink(folder.Sub(c.target), folder.Sub("e"), "link"))
            GTEST_SKIP() << "no Unix symbolic links here";
        CFolderUtil util;
        EXPECT_EQ(ERROR_CANT_RESOLVE_FILENAME, util.CheckRemovable(folder.Sub("e"))) << c.target;
        EXPECT_TRUE(PathExists(folder.Sub("e\\plain.txt"))) << c.target;
        EXPECT_EQ(ERROR_CANT_RESOLVE_FILENAME, util.RemoveFolderTree(folder.Sub("e"))) << c.target;
        EXPECT_EQ(c.kind, util.FailedKind()) << c.target;
        EXPECT_STREQ(folder.Sub("e\\link"), util.FailedItem()) << c.target;
        EXPECT_TRUE(PathExists(folder.Sub(c.survivor))) << c.target;
        EXPECT_EQ("keep", ReadWholeFile(folder.Sub("victim.txt"))) << c.target;
        EXPECT_EQ("keep", ReadWholeFile(folder.Sub("outside\\inner.txt"))) << c.target;
        RemoveUnixLink(folder.Sub("e\\link"));
        RemoveTreeForTest(folder.Sub("e"));
    }
}

TEST(RemoveFolderTree, RootThatIsALinkIsNotEntered)
{
    TempFolder folder("store_rootlink");
    ASSERT_TRUE(folder.MakeFolder("outside"));
    ASSERT_TRUE(folder.WriteFile("outside\\inner.txt", "keep"));
    if (!MakeUnixLink(folder.Sub("outside"), folder.Path(), "e"))
        GTEST_SKIP() << "no Unix symbolic links here";
    CFolderUtil util;
    EXPECT_EQ(ERROR_CANT_RESOLVE_FILENAME, util.CheckRemovable(folder.Sub("e")));
    EXPECT_EQ(ERROR_CANT_RESOLVE_FILENAME, util.RemoveFolderTree(folder.Sub("e")));
    EXPECT_EQ(CFolderUtil::FailTree, util.FailedKind());
    EXPECT_EQ("keep", ReadWholeFile(folder.Sub("outside\\inner.txt")));
    RemoveUnixLink(folder.Sub("e"));
}

TEST(RemoveFolderTree, NameThatArrivesWithBackslashesIsNotActedOn)
{
    TempFolder folder("store_yen");
    ASSERT_TRUE(folder.MakeFolder("p"));
    ASSERT_TRUE(folder.MakeFolder("p\\e"));
    ASSERT_TRUE(folder.WriteFile("p\\victim.txt", "keep"));
    ASSERT_TRUE(folder.WriteFile("p\\e\\plain.txt", "x"));
    // x¥..¥..¥victim.txt is one name; read as x\..\..\victim.txt from p\e it
    // names p\victim.txt.
    std::wstring yen = Wide(CP_ACP, folder.Sub("p\\e\\")) + L"x\u00a5..\u00a5..\u00a5victim.txt";
    HANDLE hFile = CreateFileW(yen.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    CloseHandle(hFile);
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA(folder.Sub("p\\e\\x*"), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFind);
    FindClose(hFind);
    ASSERT_STREQ("x\\..\\..\\victim.txt", data.cFileName) << "best-fit conversion changed";

    CFolderUtil util;
    EXPECT_EQ(ERROR_DIR_NOT_EMPTY, util.CheckRemovable(folder.Sub("p\\e")));
    EXPECT_TRUE(PathExists(folder.Sub("p\\e\\plain.txt")));
    EXPECT_EQ(ERROR_DIR_NOT_EMPTY, util.RemoveFolderTree(folder.Sub("p\\e")));
    EXPECT_STREQ(folder.Sub("p\\e"), util.FailedItem());
    EXPECT_EQ("keep", ReadWholeFile(folder.Sub("p\\victim.txt")));
    EXPECT_FALSE(PathExists(folder.Sub("p\\e\\plain.txt")));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(yen.c_str()));
    DeleteFileW(yen.c_str());
}
