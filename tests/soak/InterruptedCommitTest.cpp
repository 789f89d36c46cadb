// A registration whose commit was cut off (the tool killed, the machine
// off) is committed again: the second commit must succeed and leave exactly
// what an undisturbed commit leaves. Two ways in: a child process running
// the wizard is killed (TerminateProcess) when the disk shows a chosen stage
// of its commit, and every partial state the commit's order of writes can
// leave is laid out by hand.
#include "SoakSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

using namespace soak;

namespace {

const char kName[] = "soakKill.exe";
// Large enough that copying it takes a while: the kill can land inside the copy.
const size_t kCoreBytes = 48u << 20;
const UINT kKilled = 9;

class InterruptedCommitTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        CString core = ToolDir() + "TavroCre.Exe";
        ASSERT_TRUE(WritePatternFile(core, kCoreBytes));
    }
    static void TearDownTestSuite()
    {
        DeleteFileA(ToolDir() + "TavroCre.Exe");
    }

    void SetUp() override
    {
        RemoveEntryTraces(kName);
        m_program = m_temp.Sub(kName);
        ASSERT_TRUE(CopySelf(m_program));
    }
    void TearDown() override { RemoveEntryTraces(kName); }

    CString Folder() const { return ToolDir() + kName; }
    CString Settings() const { return Folder() + "\\tavro.ini"; }
    CString Copy() const { return Folder() + "\\TavroCre.Exe"; }
    CString EntryLink() const { return Folder() + "\\" + kName + ".lnk"; }
    CString StartupLink() const { return StartupDir() + "\\" + kName + ".lnk"; }

    // The registration as the test program commits it, undisturbed.
    CommitOutcome Undisturbed()
    {
        RemoveEntryTraces(kName);
        RegisterOptions options = { true, false };
        EXPECT_EQ("", RegisterThroughWizard(m_program, options));
        CommitOutcome outcome = ReadOutcome(kName);
        RemoveEntryTraces(kName);
        return outcome;
    }

    // Starts the child on the program; NULL when it could not be started.
    HANDLE StartChild()
    {
        CString command = "\"" + ToolDir() + "soak_commit_child.exe\" \"" + m_program + "\"";
        STARTUPINFOA si;
        ZeroMemory(&si, sizeof(si));
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi;
        std::string line(command);
        if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
            return NULL;
        CloseHandle(pi.hThread);
        return pi.hProcess;
    }

    // Runs the child and kills it as soon as reached() holds. Returns what
    // was on disk at that moment; *pbKilled tells whether the kill came
    // before the child had finished on its own.
    std::string RunChildUntil(const std::function<bool()>& reached, bool* pbKilled)
    {
        *pbKilled = false;
        HANDLE hChild = StartChild();
        if (!hChild)
            return "(child not started)";
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 30000) {
            if (reached()) {
                *pbKilled = TerminateProcess(hChild, kKilled) != FALSE;
                break;
            }
            // A millisecond's pause: the copy stage lasts far longer, and a
            // loop without pause would take the processor from the child.
            if (WaitForSingleObject(hChild, 1) == WAIT_OBJECT_0)
                break;
        }
        WaitForSingleObject(hChild, 10000);
        DWORD code = 0;
        GetExitCodeProcess(hChild, &code);
        CloseHandle(hChild);
        if (code != kKilled)
            *pbKilled = false;
        std::string state;
        std::vector<std::string> items = Snapshot(Folder());
        for (size_t i = 0; i < items.size(); ++i)
            state += "  " + items[i] + "\n";
        if (!PathExists(Folder()))
            state += "  (no entry folder)\n";
        state += PathExists(StartupLink()) ? "  Startup shortcut present\n" : "  no Startup shortcut\n";
        return state;
    }

    TempFolder m_temp;
    CString m_program;
};

ULONGLONG FileSize(LPCSTR path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

TEST_F(InterruptedCommitTest, ChildKilledInsideTheCommitThenCommittedAgain)
{
    const CommitOutcome expected = Undisturbed();
    ASSERT_FALSE(expected.settings.empty());
    ASSERT_EQ(kCoreBytes, expected.copy.size());
    ASSERT_TRUE(expected.bStartupLinkExists);

    // The child left alone commits exactly what this process commits.
    {
        bool bKilled = false;
        std::string state = RunChildUntil([] { return false; }, &bKilled);
        ASSERT_FALSE(bKilled);
        EXPECT_EQ("", CompareOutcome(expected, ReadOutcome(kName))) << state;
        RemoveEntryTraces(kName);
    }

    struct Stage {
        const char* name;
        std::function<bool()> reached;
        // The stage is wide enough that the kill always lands inside it.
        bool bCertain;
    };
    CString folder = Folder(), settings = Settings(), copy = Copy(), entryLink = EntryLink();
    const Stage stages[] = {
        { "entry folder created", [&] { return PathExists(folder) != FALSE; }, false },
        { "settings file begun", [&] { return PathExists(settings) != FALSE; }, false },
        { "copy under way",
          [&] { ULONGLONG n = FileSize(copy); return n > 0 && n < kCoreBytes; }, true },
        { "entry shortcut written", [&] { return PathExists(entryLink) != FALSE; }, false },
    };
    for (size_t i = 0; i < sizeof(stages) / sizeof(stages[0]); ++i) {
        const Stage& stage = stages[i];
        SCOPED_TRACE(stage.name);
        RemoveEntryTraces(kName);
        bool bKilled = false;
        std::string state = RunChildUntil(stage.reached, &bKilled);
        std::printf("killed at \"%s\" (%s):\n%s", stage.name, bKilled ? "killed" : "finished first",
                    state.c_str());
        if (stage.bCertain) {
            EXPECT_TRUE(bKilled) << "the child was not killed inside the stage";
            EXPECT_LT(FileSize(copy), kCoreBytes) << "the copy was complete at the kill";
            EXPECT_FALSE(PathExists(entryLink));
        }
        RegisterOptions options = { true, false };
        ASSERT_EQ("", RegisterThroughWizard(m_program, options)) << state;
        EXPECT_EQ("", CompareOutcome(expected, ReadOutcome(kName))) << "state at the kill:\n" << state;
    }
}

// Splits a settings file into its lines, each with its line end.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

TEST_F(InterruptedCommitTest, EveryPartialStateOfACommitIsRepairedByTheNextOne)
{
    const CommitOutcome expected = Undisturbed();
    // The commit's writes in order: entry folder, the settings file key by
    // key (the platform rewrites the file line by line on every key), the
    // copy, the entry shortcut, the Startup shortcut. A cut leaves a prefix
    // of this sequence, the last file begun possibly empty or short.
    CString folder = Folder(), settings = Settings(), copy = Copy(), entryLink = EntryLink(),
            startupLink = StartupLink();
    RegisterOptions options = { true, false };
    ASSERT_EQ("", RegisterThroughWizard(m_program, options));
    const std::string settingsBytes = ReadWholeFile(settings);
    const std::string copyBytes = ReadWholeFile(copy);
    const std::string entryLinkBytes = ReadWholeFile(entryLink);
    const std::string startupLinkBytes = ReadWholeFile(startupLink);
    ASSERT_FALSE(entryLinkBytes.empty());
    ASSERT_FALSE(startupLinkBytes.empty());
    const std::vector<std::string> lines = Lines(settingsBytes);
    ASSERT_EQ(7u, lines.size()) << settingsBytes;

    struct State {
        std::string name;
        std::string settings;     // written when not "-"
        std::string copy;         // written when not "-"
        std::string entryLink;    // written when not "-"
        std::string startupLink;  // written when not "-"
    };
    const std::string none = "-";
    std::vector<State> states;
    states.push_back({ "entry folder only", none, none, none, none });
    states.push_back({ "settings file empty", "", none, none, none });
    std::string prefix;
    for (size_t n = 0; n + 1 < lines.size(); ++n) {
        prefix += lines[n];
        states.push_back({ "settings file with " + std::to_string(n + 1) + " lines", prefix, none, none,
                           none });
    }
    // A line cut before its line end, inside the display name.
    states.push_back({ "settings file cut inside a value", lines[0] + lines[1].substr(0, 12), none, none,
                       none });
    states.push_back({ "copy begun", settingsBytes, "", none, none });
    states.push_back({ "copy half done", settingsBytes, copyBytes.substr(0, copyBytes.size() / 2), none,
                       none });
    states.push_back({ "entry shortcut empty", settingsBytes, copyBytes, "", none });
    states.push_back({ "entry shortcut half written", settingsBytes, copyBytes,
                       entryLinkBytes.substr(0, entryLinkBytes.size() / 2), none });
    states.push_back({ "no Startup shortcut yet", settingsBytes, copyBytes, entryLinkBytes, none });
    states.push_back({ "Startup shortcut empty", settingsBytes, copyBytes, entryLinkBytes, "" });
    states.push_back({ "Startup shortcut half written", settingsBytes, copyBytes, entryLinkBytes,
                       startupLinkBytes.substr(0, startupLinkBytes.size() / 2) });

    for (size_t i = 0; i < states.size(); ++i) {
        const State& state = states[i];
        SCOPED_TRACE(state.name);
        RemoveEntryTraces(kName);
        ASSERT_TRUE(CreateDirectoryA(folder, NULL));
        struct Write {
            const std::string& bytes;
            const CString& path;
        };
        const Write writes[] = { { state.settings, settings }, { state.copy, copy },
                                 { state.entryLink, entryLink }, { state.startupLink, startupLink } };
        for (size_t w = 0; w < sizeof(writes) / sizeof(writes[0]); ++w) {
            if (writes[w].bytes != none) {
                ASSERT_TRUE(WriteBytes(writes[w].path, writes[w].bytes));
            }
        }

        ASSERT_EQ("", RegisterThroughWizard(m_program, options));
        // Shortcuts are compared by their properties: their files also hold
        // the time stamps of the folders on the target's path, which change
        // as entry folders come and go.
        EXPECT_EQ("", CompareOutcome(expected, ReadOutcome(kName)));
    }
}

} // namespace
