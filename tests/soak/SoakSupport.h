// Helpers of the soak and fault tests: whole registrations and removals
// through the real wizard, snapshots of folders, what a commit leaves on
// disk, and counts of the process's GDI and USER objects.
#pragma once

#include "CRegistSheet.h"
#include "CString.h"
#include "EntryPageTestSupport.h"

#include <windows.h>

#include <string>
#include <vector>

namespace soak {

// The tool's folder (the folder of the running test program, with a
// backslash) and the user's Startup folder, as the tool's own tests see them.
using pagesb::ToolDir;
using pagesb::StartupDir;

// Every item below folder (recursively), one line each: relative path,
// "<dir>" or the size in bytes. Sorted, so two snapshots compare directly.
std::vector<std::string> Snapshot(LPCSTR folder);
// Lines of a that b lacks, and lines of b that a lacks, for failure output.
std::string SnapshotDiff(const std::vector<std::string>& a, const std::vector<std::string>& b);

// A copy of the running test program (it carries an icon) under a new path.
bool CopySelf(LPCSTR target);
// Creates or replaces a file with exactly these bytes.
bool WriteBytes(LPCSTR path, const std::string& bytes);
// A file of nBytes bytes of a fixed pattern.
bool WritePatternFile(LPCSTR path, size_t nBytes);

// Answers to the wizard's questions while a registration is made.
struct RegisterOptions {
    bool bStartup;    // leave the Startup box checked
    bool bBrowse;     // choose the file with the file dialog instead of a drop
};

// A whole new registration through the wizard as a user makes it: the file
// chosen, the editing page's defaults taken, the Startup box set, Next on the
// confirmation page and "完了" on the completion page. Empty on success,
// else what went wrong.
std::string RegisterThroughWizard(LPCSTR program, const RegisterOptions& options);
// Deletes the registration listed under dispName through the delete wizard.
// Empty on success, else what went wrong.
std::string DeleteThroughWizard(LPCSTR dispName);

// The properties of a shortcut as IShellLinkA reads them back, in one line per property.
std::string LinkText(LPCSTR linkPath);

// What a commit leaves on disk for one entry: the entry folder's items with
// their bytes, the settings file, both shortcuts' properties.
struct CommitOutcome {
    std::vector<std::string> folder;
    std::string settings;
    std::string copy;
    std::string entryLink;
    std::string startupLink;
    bool bStartupLinkExists;
};
CommitOutcome ReadOutcome(LPCSTR programFileName);
// Empty when equal, else a description of every difference.
std::string CompareOutcome(const CommitOutcome& expected, const CommitOutcome& actual);

// Removes an entry folder of the tool's folder and the Startup shortcut of
// that program file name, whatever state they are in.
void RemoveEntryTraces(LPCSTR programFileName);

// GDI and USER objects of this process. GetGuiResources where the platform
// counts them; where it answers 0 (Wine), a census of the handle values: every
// value is asked for a GDI object type, a window of this process, a menu or an
// icon or cursor, all through documented calls. Wine accepts a handle by the
// low word of its value, so the census reaches each live object once.
struct GuiCounts {
    DWORD gdi;
    DWORD user;
    bool bFromPlatform;
};
GuiCounts CountGuiObjects();

} // namespace soak
