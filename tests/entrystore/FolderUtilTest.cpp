// Folder listing, creation and removal on the real (Wine) file system.
#include "CFolderUtil.h"
#include "CRegistEntry.h"
#include "CRegistStore.h"
#include "PathUtil.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<std::string> Sorted(const CStringArray& names)
{
    std::vector<std::string> result;
    for (INT_PTR i = 0; i < names.GetSize(); ++i)
        result.push_back(names[i].GetString());
    std::sort(result.begin(), result.end());
    return result;
}

std::wstring LongPath(const CString& path)
{
    wchar_t buffer[1024] = {0};
    MultiByteToWideChar(CP_ACP, 0, path, -1, buffer, 1024);
    return std::wstring(L"\\\\?\\") + buffer;
}

}  // namespace

TEST(EnumSubFolders, ListsEntryFoldersOnlyAndAppends)
{
    TempFolder folder("store_enum");
    const char* made[] = { "one", "表", "ソ能", "hidden", "system", "temporary" };
    for (const char* name : made)
        ASSERT_TRUE(folder.MakeFolder(name));
    ASSERT_TRUE(folder.WriteFile("file.txt", "x"));
    SetFileAttributesA(folder.Sub("hidden"), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(folder.Sub("system"), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA(folder.Sub("temporary"), FILE_ATTRIBUTE_TEMPORARY);
    std::vector<std::string> expected = { "one", "ソ能", "表" };
    // Wine 8 accepts the temporary attribute and keeps it on nothing; where
    // it is kept, the folder must not be listed.
    if (!(GetFileAttributesA(folder.Sub("temporary")) & FILE_ATTRIBUTE_TEMPORARY))
        expected.push_back("temporary");
    std::sort(expected.begin(), expected.end());

    CFolderUtil util;
    CStringArray names;
    EXPECT_EQ(static_cast<int>(expected.size()), util.EnumSubFolders(names, folder.Path()));
    EXPECT_EQ(expected, Sorted(names));
    // A second call appends the same names again.
    EXPECT_EQ(static_cast<int>(2 * expected.size()), util.EnumSubFolders(names, folder.Path() + "\\"));
    std::vector<std::string> doubled = expected;
    doubled.insert(doubled.end(), expected.begin(), expected.end());
    std::sort(doubled.begin(), doubled.end());
    EXPECT_EQ(doubled, Sorted(names));
    // Missing, unreadable and too long folders add nothing.
    EXPECT_EQ(static_cast<int>(names.GetSize()), util.EnumSubFolders(names, folder.Sub("missing")));
    CString tooLong = folder.Path() + "\\" + CString('n', 259 - folder.Path().GetLength() - 1);
    EXPECT_EQ(static_cast<int>(names.GetSize()), util.EnumSubFolders(names, tooLong));
}

TEST(CreateFolderTree, Table)
{
    TempFolder folder("store_create");
    ASSERT_TRUE(folder.WriteFile("file.txt", "x"));
    CString root = folder.Path();
    CString longPath = root + "\\" + CString('n', 260 - root.GetLength() - 1);
    struct Case { CString path; int result; std::vector<CString> exist; } cases[] = {
        { "C:", -2, {} },
        { "", -2, {} },
        { root + "\\a\\b\\", 0, { root + "\\a", root + "\\a\\b" } },
        { root + "\\a\\b\\", 0, { root + "\\a\\b" } },
        { root + "\\表", 0, { root + "\\表" } },
        { root + "\\能\\予\\十\\ソ\\", 0, { root + "\\能\\予\\十\\ソ" } },
        // An existing file counts as an existing level; the level below it fails.
        { root + "\\file.txt", 0, { root + "\\file.txt" } },
        { root + "\\file.txt\\x", ERROR_PATH_NOT_FOUND, {} },
        // Wine reports a missing drive with 2 (Windows with 3).
        { "Q:\\tavro\\x", ERROR_FILE_NOT_FOUND, {} },
        { longPath, ERROR_FILENAME_EXCED_RANGE, {} },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, CreateFolderTree(c.path)) << "path [" << c.path << "]";
        for (const CString& path : c.exist)
            EXPECT_TRUE(PathExists(path)) << path;
    }
    // Every 0x5C trail byte stayed inside its name: no stray folders.
    CFolderUtil util;
    CStringArray names;
    util.EnumSubFolders(names, root);
    EXPECT_EQ((std::vector<std::string>{ "a", "能", "表" }), Sorted(names));
    EXPECT_FALSE(PathExists(longPath));
}

TEST(RemoveFolderTree, RemovesNestedTreeWithHiddenAndSystemItems)
{
    TempFolder folder("store_remove");
    const char* folders[] = { "e", "e\\表", "e\\表\\ソ", "e\\hidden", "e\\system", "e\\十" };
    for (const char* name : folders)
        ASSERT_TRUE(folder.MakeFolder(name));
    const char* files[] = { "e\\a.txt", "e\\表\\能.txt", "e\\表\\ソ\\予", "e\\hidden\\h.txt",
                            "e\\h.txt", "e\\s.txt", "canary.txt", "e2.txt" };
    for (const char* name : files)
        ASSERT_TRUE(folder.WriteFile(name, "x"));
    SetFileAttributesA(folder.Sub("e\\hidden"), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(folder.Sub("e\\system"), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA(folder.Sub("e\\h.txt"), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(folder.Sub("e\\s.txt"), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);

    MessageBoxRecorder boxes;
    EXPECT_EQ(0, RemoveFolderTree(folder.Sub("e\\")));
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_FALSE(PathExists(folder.Sub("e")));
    EXPECT_TRUE(PathExists(folder.Sub("canary.txt")));
    EXPECT_TRUE(PathExists(folder.Sub("e2.txt")));
}

TEST(RemoveFolderTree, ReadOnlyFileStopsTheRemoval)
{
    TempFolder folder("store_ro");
    ASSERT_TRUE(folder.MakeFolder("e"));
    ASSERT_TRUE(folder.MakeFolder("e\\sub"));
    ASSERT_TRUE(folder.WriteFile("e\\sub\\ro.txt", "x"));
    // As root the attribute does not stop writes, but the deletion is refused.
    ASSERT_TRUE(SetFileAttributesA(folder.Sub("e\\sub\\ro.txt"), FILE_ATTRIBUTE_READONLY));

    MessageBoxRecorder boxes;
    CFolderUtil util;
    EXPECT_EQ(ERROR_ACCESS_DENIED, util.RemoveFolderTree(folder.Sub("e")));
    EXPECT_EQ(CFolderUtil::FailFile, util.FailedKind());
    EXPECT_STREQ(folder.Sub("e\\sub\\ro.txt"), util.FailedItem());
    EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
    EXPECT_TRUE(PathExists(folder.Sub("e\\sub\\ro.txt")));
}

// What would stop a removal half way is found before anything goes, by
// name; holders that allow deletion (an Explorer window) do not count.
TEST(CheckRemovable, VerdictsOnStagedItems)
{
    TempFolder folder("store_block");
    ASSERT_TRUE(folder.MakeFolder("e"));
    ASSERT_TRUE(folder.MakeFolder("e\\sub"));
    ASSERT_TRUE(folder.WriteFile("e\\sub\\f.txt", "x"));
    const DWORD kAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD kNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD kFolder = FILE_FLAG_BACKUP_SEMANTICS;
    struct Case { const char* held; DWORD access, share, flags; BOOL readOnly; int code; const char* item; } cases[] = {
        { NULL, 0, 0, 0, FALSE, 0, "" },
        { NULL, 0, 0, 0, TRUE, ERROR_ACCESS_DENIED, "e\\sub\\f.txt" },
        // A current folder, as Windows holds it.
        { "e", FILE_TRAVERSE | SYNCHRONIZE, kNoDelete, kFolder, FALSE, ERROR_SHARING_VIOLATION, "e" },
        { "e\\sub", FILE_TRAVERSE | SYNCHRONIZE, kNoDelete, kFolder, FALSE, ERROR_SHARING_VIOLATION, "e\\sub" },
        // An Explorer window on the folder: listing and watching, sharing everything.
        { "e", FILE_LIST_DIRECTORY, kAll, kFolder, FALSE, 0, "" },
        { "e\\sub\\f.txt", GENERIC_READ, kNoDelete, 0, FALSE, ERROR_SHARING_VIOLATION, "e\\sub\\f.txt" },
        { "e\\sub\\f.txt", GENERIC_READ, kAll, 0, FALSE, 0, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.held ? c.held : "(none)");
        HANDLE hHeld = c.held ? CreateFileA(folder.Sub(c.held), c.access, c.share, NULL, OPEN_EXISTING, c.flags, NULL)
                              : NULL;
        ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
        HANDLE hWatch = c.flags ? FindFirstChangeNotificationA(folder.Sub(c.held), TRUE, FILE_NOTIFY_CHANGE_FILE_NAME)
                                : INVALID_HANDLE_VALUE;
        SetFileAttributesA(folder.Sub("e\\sub\\f.txt"), c.readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        CFolderUtil util;
        EXPECT_EQ(c.code, util.CheckRemovable(folder.Sub("e")));
        EXPECT_STREQ(c.code ? folder.Sub(c.item) : CString(), util.FailedItem());
        SetFileAttributesA(folder.Sub("e\\sub\\f.txt"), FILE_ATTRIBUTE_NORMAL);
        if (hWatch != INVALID_HANDLE_VALUE)
            FindCloseChangeNotification(hWatch);
        if (hHeld)
            CloseHandle(hHeld);
        ASSERT_TRUE(PathExists(folder.Sub("e\\sub\\f.txt")));
    }
}

// The store names the step that stopped it, with the code and the path, and
// writes nothing after it: the caller's message depends on telling them apart.
TEST(CRegistStore, ResultsNameTheStepTheCodeAndThePath)
{
    TempFolder folder("store_steps");
    ASSERT_TRUE(folder.WriteFile("taken", "x"));
    ASSERT_TRUE(folder.MakeFolder("e"));
    ASSERT_TRUE(folder.MakeFolder("e\\tavro.ini"));
    CRegistEntry entry;
    entry.m_strProgram = "C:\\x\\e";
    CRegistLayout taken(folder.Path() + "\\", "taken");
    CRegistStore::Result done = CRegistStore::Commit(entry, taken, TRUE);
    EXPECT_EQ(CRegistStore::StepEntryFolder, done.step);
    EXPECT_EQ(ERROR_ALREADY_EXISTS, done.code);
    EXPECT_STREQ(folder.Sub("taken"), done.path);

    CRegistLayout layout(folder.Path() + "\\", "e");
    done = CRegistStore::Commit(entry, layout, TRUE);
    EXPECT_EQ(CRegistStore::StepSettings, done.step);
    EXPECT_STREQ(folder.Sub("e\\tavro.ini"), done.path);
    EXPECT_FALSE(PathExists(folder.Sub("e\\e.lnk")));

    ASSERT_TRUE(folder.WriteFile("e\\ro.txt", "x"));
    ASSERT_TRUE(SetFileAttributesA(folder.Sub("e\\ro.txt"), FILE_ATTRIBUTE_READONLY));
    done = CRegistStore::CheckRemoval(folder.Sub("e"), "");
    EXPECT_EQ(CRegistStore::StepReadOnlyFile, done.step);
    EXPECT_EQ(ERROR_ACCESS_DENIED, done.code);
    EXPECT_STREQ(folder.Sub("e\\ro.txt"), done.path);
    SetFileAttributesA(folder.Sub("e\\ro.txt"), FILE_ATTRIBUTE_NORMAL);

    HANDLE hHeld = CreateFileA(folder.Sub("e"), FILE_TRAVERSE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    done = CRegistStore::CheckRemoval(folder.Sub("e"), "");
    CloseHandle(hHeld);
    EXPECT_EQ(CRegistStore::StepFolderInUse, done.step);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, done.code);
    EXPECT_TRUE(CRegistStore::CheckRemoval(folder.Sub("e"), "").Succeeded());
}

// Only name surrogates (symbolic links, junctions) are links; a cloud file or
// folder carries a reparse point too and is what it is.
TEST(CFolderUtil, IsLinkClassifiesReparseTags)
{
    struct Case { const char* name; DWORD attributes; DWORD tag; BOOL link; } cases[] = {
        { "symbolic link", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_SYMLINK, TRUE },
        { "junction", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_MOUNT_POINT, TRUE },
        { "file link", FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK, TRUE },
        { "cloud file", FILE_ATTRIBUTE_REPARSE_POINT | 0x400000, 0x9000701A, FALSE },
        { "cloud folder", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, 0x9000001A, FALSE },
        { "deduplicated file", FILE_ATTRIBUTE_REPARSE_POINT, 0x80000013, FALSE },
        { "reparse point without a tag", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, 0, TRUE },
        { "plain file", FILE_ATTRIBUTE_ARCHIVE, 0, FALSE },
        { "plain file, stale tag field", FILE_ATTRIBUTE_NORMAL, IO_REPARSE_TAG_SYMLINK, FALSE },
    };
    for (const Case& c : cases) {
        WIN32_FIND_DATAA data;
        ZeroMemory(&data, sizeof(data));
        data.dwFileAttributes = c.attributes;
        data.dwReserved0 = c.tag;
        EXPECT_EQ(c.link, CFolderUtil::IsLink(data)) << c.name;
    }
}

TEST(RemoveFolderTree, RefusesPathsOutsideAnEntryFolder)
{
    TempFolder folder("store_refuse");
    ASSERT_TRUE(folder.MakeFolder("e"));
    ASSERT_TRUE(folder.WriteFile("e\\keep.txt", "x"));
    ASSERT_TRUE(folder.WriteFile("canary.txt", "x"));
    char previous[MAX_PATH] = {0};
    GetCurrentDirectoryA(MAX_PATH, previous);
    // Relative and empty paths would name this folder's content.
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Sub("e")));
    CString longPath = folder.Path() + "\\" + CString('n', 260 - folder.Path().GetLength() - 1);
    struct Case { CString path; int result; } cases[] = {
        { "", ERROR_INVALID_NAME },
        { ".", ERROR_INVALID_NAME },
        { "keep", ERROR_INVALID_NAME },
        { "\\", ERROR_INVALID_NAME },
        { "C:", ERROR_INVALID_NAME },
        { "C:\\", ERROR_INVALID_NAME },
        { "C:\\\\", ERROR_INVALID_NAME },
        { "C:e", ERROR_INVALID_NAME },
        { "C:\\..", ERROR_INVALID_NAME },
        { folder.Sub("e\\.."), ERROR_INVALID_NAME },
        { folder.Sub("e/../.."), ERROR_INVALID_NAME },
        { folder.Sub("e\\..."), ERROR_INVALID_NAME },
        { folder.Sub("*"), ERROR_INVALID_NAME },
        { folder.Sub("e?"), ERROR_INVALID_NAME },
        { folder.Sub("e\\keep.txt:s"), ERROR_INVALID_NAME },
        { longPath, ERROR_FILENAME_EXCED_RANGE },
        // A missing folder: the code of the failed removal.
        { folder.Sub("missing"), ERROR_FILE_NOT_FOUND },
        { folder.Sub("missing\\x"), ERROR_PATH_NOT_FOUND },
    };
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        CFolderUtil util;
        EXPECT_EQ(c.result, util.CheckRemovable(c.path)) << "path [" << c.path << "]";
        EXPECT_EQ(CFolderUtil::FailTree, util.FailedKind()) << "path [" << c.path << "]";
        EXPECT_EQ(c.result, util.RemoveFolderTree(c.path)) << "path [" << c.path << "]";
        EXPECT_EQ(0u, boxes.Count()) << boxes.Texts();
        ASSERT_TRUE(PathExists(folder.Sub("e\\keep.txt"))) << "path [" << c.path << "]";
        ASSERT_TRUE(PathExists(folder.Sub("canary.txt"))) << "path [" << c.path << "]";
    }
    SetCurrentDirectoryA(previous);
}

TEST(RemoveFolderTree, ItemPathsOf260BytesStopIt)
{
    TempFolder folder("store_long");
    ASSERT_TRUE(folder.MakeFolder("e"));
    // e\<deep>\<name>: the folder fits, the file in it reaches 260 bytes
    // (made through the platform's long-path form).
    CString deep = folder.Sub("e\\") + CString('d', 250 - folder.Sub("e\\").GetLength());
    ASSERT_TRUE(CreateDirectoryW(LongPath(deep).c_str(), NULL));
    CString file = deep + "\\" + CString('f', 12);
    HANDLE hFile = CreateFileW(LongPath(file).c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    CloseHandle(hFile);

    CFolderUtil util;
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, util.CheckRemovable(folder.Sub("e")));
    EXPECT_STREQ(file, util.FailedItem());
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, util.RemoveFolderTree(folder.Sub("e")));
    EXPECT_EQ(CFolderUtil::FailFile, util.FailedKind());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(LongPath(file).c_str()));
    DeleteFileW(LongPath(file).c_str());
    RemoveDirectoryW(LongPath(deep).c_str());
}

// The store dispatches nothing itself: a long removal reaches the caller's
// callback once per item visited, and the caller keeps its windows going.
TEST(RemoveFolderTree, CallsTheProgressCallbackPerItemAndDispatchesNothing)
{
    TempFolder folder("store_pump");
    ASSERT_TRUE(folder.MakeFolder("e"));
    ASSERT_TRUE(folder.MakeFolder("e\\sub"));
    ASSERT_TRUE(folder.WriteFile("e\\a.txt", "x"));
    ASSERT_TRUE(folder.WriteFile("e\\sub\\b.txt", "x"));
    PumpMessages();
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    int calls = 0;
    CFolderUtil util([](void* pCalls) { ++*static_cast<int*>(pCalls); }, &calls);
    EXPECT_EQ(0, util.CheckRemovable(folder.Sub("e")));
    // e: ".", "..", "sub", "a.txt"; e\sub: ".", "..", "b.txt".
    EXPECT_EQ(7, calls);
    EXPECT_EQ(0, util.RemoveFolderTree(folder.Sub("e")));
    EXPECT_EQ(14, calls);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, NULL, WM_APP, WM_APP, PM_REMOVE));
}
