// Damaged and unusual settings files in the tool's folder: empty, binary
// garbage, a megabyte long, without the "data" section, with repeated keys,
// in UTF-8 and UTF-16 with byte order marks. The entry list shows a line for
// each, every line can be chosen, and each such registration can be deleted.
#include "SoakSupport.h"
#include "TestSupport.h"
#include "WizardDriver.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace soak;

namespace {

const char kNoIcon[] = "アイコンが読み込めません．";

std::wstring Wide(const std::string& ansi)
{
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, NULL, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::string Utf8WithMark(const std::string& ansi)
{
    std::wstring wide = Wide(ansi);
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, NULL, 0, NULL, NULL);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], n, NULL, NULL);
    utf8.resize(static_cast<size_t>(n - 1));
    return "\xEF\xBB\xBF" + utf8;
}

std::string Utf16WithMark(const std::string& ansi)
{
    std::wstring wide = Wide(ansi);
    std::string bytes = "\xFF\xFE";
    for (size_t i = 0; i < wide.size(); ++i) {
        bytes += static_cast<char>(wide[i] & 0xFF);
        bytes += static_cast<char>((wide[i] >> 8) & 0xFF);
    }
    return bytes;
}

// Bytes of every value, NULs, line ends and brackets included, the same each run.
std::string Garbage(size_t nBytes)
{
    std::string bytes(nBytes, '\0');
    unsigned int x = 12345;
    for (size_t i = 0; i < nBytes; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((x >> 16) & 0xFF);
    }
    return bytes;
}

// 表 ends in the byte 0x5C: the cut to 259 bytes must not split it.
std::string HugeName()
{
    std::string name;
    for (int i = 0; i < (1 << 19); ++i)
        name += "表";
    return name;
}

struct OddFile {
    const char* folder;
    std::string bytes;
    // What the list shows, and the program part of the selected line.
    std::string line;
    std::string program;
};

std::vector<OddFile> OddFiles()
{
    std::string huge = HugeName();
    std::vector<OddFile> files;
    files.push_back({ "soakOddEmpty", "", "", "" });
    files.push_back({ "soakOddGarbage", Garbage(4096), "", "" });
    // One megabyte: the name arrives as its first 129 whole characters (258 bytes).
    files.push_back({ "soakOddHuge", "[data]\r\ndispname=" + huge + "\r\nprogram=C:\\soak\\huge.exe\r\n",
                      huge.substr(0, 258), "C:\\soak\\huge.exe" });
    files.push_back({ "soakOddNoSection", "[Tavro]\r\ndispname=節なし\r\nprogram=C:\\soak\\x.exe\r\n", "",
                      "" });
    // The platform takes the first of repeated keys and of repeated sections.
    files.push_back({ "soakOddRepeated",
                      "[data]\r\ndispname=一回目\r\nprogram=C:\\soak\\first.exe\r\ndispname=二回目\r\n"
                      "program=C:\\soak\\second.exe\r\n[data]\r\ndispname=三回目\r\n",
                      "一回目", "C:\\soak\\first.exe" });
    // With a byte order mark the platform reads Unicode and hands over code page 932.
    files.push_back({ "soakOddUtf8",
                      Utf8WithMark("[data]\r\ndispname=ユニコード八\r\nprogram=C:\\soak\\八.exe\r\n"),
                      "ユニコード八", "C:\\soak\\八.exe" });
    files.push_back({ "soakOddUtf16",
                      Utf16WithMark("[data]\r\ndispname=ユニコード十六\r\nprogram=C:\\soak\\十六.exe\r\n"),
                      "ユニコード十六", "C:\\soak\\十六.exe" });
    return files;
}

std::vector<std::string> ListLines(HWND hList)
{
    std::vector<std::string> lines;
    int n = static_cast<int>(SendMessageA(hList, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        int length = static_cast<int>(SendMessageA(hList, LB_GETTEXTLEN, i, 0));
        std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
        SendMessageA(hList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(strlen(text.c_str()));
        lines.push_back(text);
    }
    return lines;
}

class OddSettingsListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_files = OddFiles();
        for (size_t i = 0; i < m_files.size(); ++i) {
            CString folder = ToolDir() + m_files[i].folder;
            RemoveTreeForTest(folder);
            ASSERT_TRUE(CreateDirectoryA(folder, NULL));
            ASSERT_TRUE(WriteBytes(folder + "\\Tavro.ini", m_files[i].bytes));
        }
    }
    void TearDown() override
    {
        for (size_t i = 0; i < m_files.size(); ++i)
            RemoveTreeForTest(ToolDir() + m_files[i].folder);
    }

    std::vector<OddFile> m_files;
};

TEST_F(OddSettingsListTest, EveryFileIsListedChosenAndDeleted)
{
    std::vector<std::string> expected;
    for (size_t i = 0; i < m_files.size(); ++i)
        expected.push_back(m_files[i].line);
    std::sort(expected.begin(), expected.end());

    // Yes to the question before a folder whose settings name no program goes.
    MessageBoxRecorder boxes(IDYES);
    for (size_t round = 0; round < m_files.size(); ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        CRegistSheet sheet(RegistDelete, NULL);
        WizardDriver wizard(&sheet);
        ASSERT_TRUE(wizard.Start());
        HWND hPage = wizard.CurrentPage();
        HWND hList = GetDlgItem(hPage, 1022);
        std::vector<std::string> lines = ListLines(hList);
        std::sort(lines.begin(), lines.end());
        ASSERT_EQ(expected, lines);

        // Every line can be chosen: the name with its program, and an icon.
        for (int line = 0; round == 0 && line < static_cast<int>(lines.size()); ++line) {
            SendMessageA(hList, LB_SETCURSEL, line, 0);
            SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(1022, LBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
            PumpMessages();
            const CRegistEntry* pEntry = reinterpret_cast<const CRegistEntry*>(
                SendMessageA(hList, LB_GETITEMDATA, line, 0));
            ASSERT_TRUE(pEntry != NULL);
            const OddFile* pFile = NULL;
            for (size_t i = 0; i < m_files.size(); ++i) {
                if (pEntry->m_strIniPath == ToolDir() + m_files[i].folder + "\\Tavro.ini")
                    pFile = &m_files[i];
            }
            ASSERT_TRUE(pFile != NULL) << pEntry->m_strIniPath.GetString();
            SCOPED_TRACE(pFile->folder);
            EXPECT_EQ(pFile->line, std::string(pEntry->m_strDispName));
            EXPECT_EQ(pFile->line + "(" + pFile->program + ")", WindowText(GetDlgItem(hPage, 1019)));
            EXPECT_TRUE(SendDlgItemMessageA(hPage, 1020, STM_GETICON, 0, 0) != 0);
        }

        // The first line goes: through the confirmation page to the end.
        SendMessageA(hList, LB_SETCURSEL, 0, 0);
        SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(1022, LBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
        PumpMessages();
        const CRegistEntry* pFirst = reinterpret_cast<const CRegistEntry*>(
            SendMessageA(hList, LB_GETITEMDATA, 0, 0));
        ASSERT_TRUE(pFirst != NULL);
        CString iniPath = pFirst->m_strIniPath;
        ASSERT_TRUE(wizard.Next());
        ASSERT_EQ(131u, wizard.CurrentTemplate());
        ASSERT_TRUE(wizard.Next()) << boxes.Texts();
        ASSERT_EQ(132u, wizard.CurrentTemplate()) << boxes.Texts();
        EXPECT_FALSE(PathExists(iniPath)) << iniPath.GetString();
        // The deleted one's line leaves the expected list.
        for (size_t i = 0; i < m_files.size(); ++i) {
            if (iniPath == ToolDir() + m_files[i].folder + "\\Tavro.ini") {
                expected.erase(std::find(expected.begin(), expected.end(), m_files[i].line));
                EXPECT_FALSE(PathExists(ToolDir() + m_files[i].folder));
            }
        }
        ASSERT_TRUE(wizard.Finish());
    }
    EXPECT_TRUE(expected.empty());
    // The only messages: the icon of entries without a usable program, and that question.
    for (size_t i = 0; i < boxes.Count(); ++i)
        EXPECT_TRUE(boxes.Boxes()[i].text == kNoIcon ||
                    boxes.Boxes()[i].text.find("このフォルダはTavroの登録ではない") == 0) << boxes.Boxes()[i].text;
}

} // namespace
