#include "SoakSupport.h"
#include "NewFirstTestHelpers.h"
#include "PathUtil.h"
#include "TestSupport.h"
#include "WizardDriver.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <sstream>

namespace soak {

// Templates of the wizard's pages.
const UINT kNewFirstPage = 105;
const UINT kEditFirstPage = 106;
const UINT kEditPage = 130;
const UINT kEntryPage = 131;
const UINT kLastPage = 132;
const int kStartupBox = 1021;
const int kEntryList = 1022;

static void AddSnapshot(const std::string& root, const std::string& relative,
                        std::vector<std::string>& lines)
{
    WIN32_FIND_DATAA fd;
    std::string pattern = root + (relative.empty() ? "" : "\\" + relative) + "\\*";
    HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string item = relative.empty() ? name : relative + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            lines.push_back(item + " <dir>");
            AddSnapshot(root, item, lines);
        } else {
            ULONGLONG size = (static_cast<ULONGLONG>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
            std::ostringstream line;
            line << item << " " << size;
            lines.push_back(line.str());
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

std::vector<std::string> Snapshot(LPCSTR folder)
{
    std::vector<std::string> lines;
    std::string root(folder);
    if (!root.empty() && root[root.size() - 1] == '\\')
        root.erase(root.size() - 1);
    AddSnapshot(root, "", lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string SnapshotDiff(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::string text;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::find(b.begin(), b.end(), a[i]) == b.end())
            text += "  gone: " + a[i] + "\n";
    }
    for (size_t i = 0; i < b.size(); ++i) {
        if (std::find(a.begin(), a.end(), b[i]) == a.end())
            text += "  new:  " + b[i] + "\n";
    }
    return text;
}

bool CopySelf(LPCSTR target)
{
    char self[MAX_PATH] = { 0 };
    GetModuleFileNameA(NULL, self, MAX_PATH);
    return CopyFileA(self, target, FALSE) != FALSE;
}

bool WriteBytes(LPCSTR path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = bytes.empty() ||
              (::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL) &&
               written == bytes.size());
    CloseHandle(h);
    return ok;
}

bool WritePatternFile(LPCSTR path, size_t nBytes)
{
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    for (size_t done = 0; ok && done < nBytes;) {
        DWORD n = static_cast<DWORD>(std::min(block.size(), nBytes - done));
        DWORD written = 0;
        ok = ::WriteFile(h, block.data(), n, &written, NULL) && written == n;
        done += n;
    }
    CloseHandle(h);
    return ok;
}

// Describes where the wizard stands, for failure messages.
static std::string Where(const WizardDriver& wizard, const MessageBoxRecorder& boxes, const char* step)
{
    std::ostringstream text;
    text << step << ": page " << wizard.CurrentTemplate();
    if (boxes.Count())
        text << ", boxes: " << boxes.Texts();
    return text.str();
}

// From the confirmation page: Next does the work, Finish closes the wizard;
// "" when both went through without a single message box.
static std::string CommitAndFinish(WizardDriver& wizard, const MessageBoxRecorder& boxes)
{
    if (!wizard.Next() || wizard.CurrentTemplate() != kLastPage)
        return Where(wizard, boxes, "confirmation Next");
    if (!wizard.Finish() || !wizard.Ended())
        return Where(wizard, boxes, "finish");
    if (boxes.Count())
        return Where(wizard, boxes, "after finish");
    return "";
}

std::string RegisterThroughWizard(LPCSTR program, const RegisterOptions& options)
{
    MessageBoxRecorder boxes;
    CRegistSheet sheet(RegistNew, NULL);
    WizardDriver wizard(&sheet);
    if (!wizard.Start() || wizard.CurrentTemplate() != kNewFirstPage)
        return Where(wizard, boxes, "start");
    HWND hPage = wizard.CurrentPage();
    if (options.bBrowse) {
        FileDialogResponder responder(wizard.Sheet(), program);
        SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(1015, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hPage, 1015)));
        PumpMessages();
        if (!responder.Answered() || responder.Stuck())
            return Where(wizard, boxes, "file dialog");
    } else {
        DropFile(hPage, program);
    }
    if (WindowText(GetDlgItem(hPage, 1016)) != program)
        return Where(wizard, boxes, "file choice");
    if (!wizard.Next() || wizard.CurrentTemplate() != kEditPage)
        return Where(wizard, boxes, "file page Next");
    if (!wizard.Next() || wizard.CurrentTemplate() != kEntryPage)
        return Where(wizard, boxes, "editing page Next");
    SendMessageA(wizard.PageControl(kStartupBox), BM_SETCHECK,
                 options.bStartup ? BST_CHECKED : BST_UNCHECKED, 0);
    return CommitAndFinish(wizard, boxes);
}

std::string DeleteThroughWizard(LPCSTR dispName)
{
    MessageBoxRecorder boxes;
    CRegistSheet sheet(RegistDelete, NULL);
    WizardDriver wizard(&sheet);
    if (!wizard.Start() || wizard.CurrentTemplate() != kEditFirstPage)
        return Where(wizard, boxes, "start");
    HWND hPage = wizard.CurrentPage();
    HWND hList = GetDlgItem(hPage, kEntryList);
    int line = static_cast<int>(SendMessageA(hList, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(dispName)));
    if (line == LB_ERR)
        return Where(wizard, boxes, "entry not listed");
    SendMessageA(hList, LB_SETCURSEL, line, 0);
    SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(kEntryList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
    PumpMessages();
    if (!wizard.Next() || wizard.CurrentTemplate() != kEntryPage)
        return Where(wizard, boxes, "list Next");
    return CommitAndFinish(wizard, boxes);
}

std::string LinkText(LPCSTR linkPath)
{
    pagesb::LinkProperties props = pagesb::ReadLink(linkPath);
    if (!props.loaded)
        return "(unreadable)";
    std::ostringstream text;
    text << "path=" << props.path << "\narguments=" << props.arguments << "\nworkdir=" << props.workDir
         << "\ndescription=" << props.description << "\nicon=" << props.iconPath << ","
         << props.iconIndex << "\n";
    return text.str();
}

CommitOutcome ReadOutcome(LPCSTR programFileName)
{
    CString folder = ToolDir() + programFileName;
    CString startupLink = StartupDir() + "\\" + programFileName + ".lnk";
    CommitOutcome outcome;
    outcome.folder = Snapshot(folder);
    outcome.settings = ReadWholeFile(folder + "\\tavro.ini");
    outcome.copy = ReadWholeFile(folder + "\\TavroCre.Exe");
    outcome.entryLink = LinkText(folder + "\\" + programFileName + ".lnk");
    outcome.bStartupLinkExists = PathExists(startupLink) != FALSE;
    outcome.startupLink = LinkText(startupLink);
    return outcome;
}

std::string CompareOutcome(const CommitOutcome& expected, const CommitOutcome& actual)
{
    std::string text;
    if (expected.folder != actual.folder)
        text += "entry folder differs:\n" + SnapshotDiff(expected.folder, actual.folder);
    if (expected.settings != actual.settings)
        text += "settings file differs:\n--- expected\n" + expected.settings + "\n--- actual\n" +
                actual.settings + "\n";
    if (expected.copy != actual.copy)
        text += "copy of TavroCre.Exe differs\n";
    if (expected.entryLink != actual.entryLink)
        text += "entry shortcut differs:\n--- expected\n" + expected.entryLink + "--- actual\n" +
                actual.entryLink;
    if (expected.bStartupLinkExists != actual.bStartupLinkExists)
        text += "Startup shortcut presence differs\n";
    if (expected.startupLink != actual.startupLink)
        text += "Startup shortcut differs:\n--- expected\n" + expected.startupLink + "--- actual\n" +
                actual.startupLink;
    return text;
}

void RemoveEntryTraces(LPCSTR programFileName)
{
    RemoveTreeForTest(ToolDir() + programFileName);
    CString link = StartupDir() + "\\" + programFileName + ".lnk";
    SetFileAttributesA(link, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(link);
}

GuiCounts CountGuiObjects()
{
    GuiCounts counts;
    HANDLE hProcess = GetCurrentProcess();
    counts.gdi = GetGuiResources(hProcess, GR_GDIOBJECTS);
    counts.user = GetGuiResources(hProcess, GR_USEROBJECTS);
    counts.bFromPlatform = counts.gdi != 0 || counts.user != 0;
    if (counts.bFromPlatform)
        return counts;
    counts.gdi = 0;
    counts.user = 0;
    DWORD self = GetCurrentProcessId();
    for (UINT_PTR value = 1; value <= 0xFFFF; ++value) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(value)))
            ++counts.gdi;
    }
    // USER handles are even values from 0x20 on.
    for (UINT_PTR value = 0x20; value <= 0xFFFF; value += 2) {
        HWND hWnd = reinterpret_cast<HWND>(value);
        DWORD pid = 0;
        if (IsWindow(hWnd)) {
            if (GetWindowThreadProcessId(hWnd, &pid) && pid == self)
                ++counts.user;
            continue;
        }
        if (IsMenu(reinterpret_cast<HMENU>(value))) {
            ++counts.user;
            continue;
        }
        ICONINFO info;
        if (GetIconInfo(reinterpret_cast<HICON>(value), &info)) {
            ++counts.user;
            if (info.hbmMask)
                DeleteObject(info.hbmMask);
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
        }
    }
    return counts;
}

} // namespace soak
