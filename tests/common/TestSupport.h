// Helpers shared by the in-process tests: a recorder for message boxes, a
// throwaway folder on the real (Wine) file system, and message pumping.
#pragma once

#include "AfxMessageBox.h"
#include "CString.h"

#include <string>
#include <vector>

// Records every message box instead of showing it; restores the real box on destruction.
class MessageBoxRecorder
{
public:
    struct Box {
        HWND hOwner;
        std::string text;
        std::string caption;
        UINT type;
    };

    // answer: what each box "returns" (IDOK, IDYES, IDNO ...).
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();

    void SetAnswer(int answer) { m_answer = answer; }
    const std::vector<Box>& Boxes() const { return m_boxes; }
    size_t Count() const { return m_boxes.size(); }
    // The texts of all boxes so far, one per line (for failure output).
    std::string Texts() const;
    // The last box's text, or "" when none was shown.
    std::string LastText() const;
    void Clear() { m_boxes.clear(); }

private:
    static int Record(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType);
    static MessageBoxRecorder* s_active;
    AfxMessageBoxHook m_previous;
    MessageBoxRecorder* m_previousRecorder;
    std::vector<Box> m_boxes;
    int m_answer;
};

// A new empty folder below the system's temporary folder, removed with all
// its content on destruction. Path() ends without a backslash.
class TempFolder
{
public:
    explicit TempFolder(const char* prefix = "tavro");
    ~TempFolder();
    const CString& Path() const { return m_path; }
    // Path() + "\\" + relative.
    CString Sub(LPCSTR relative) const;
    // Creates a file with the given bytes (folders must exist). TRUE on success.
    BOOL WriteFile(LPCSTR relative, const std::string& bytes) const;
    BOOL MakeFolder(LPCSTR relative) const;

private:
    CString m_path;
};

// Reads a whole file; empty when it cannot be read.
std::string ReadWholeFile(LPCSTR path);
BOOL PathExists(LPCSTR path);
// Removes a tree with plain Win32 calls (read-only attributes cleared first).
void RemoveTreeForTest(LPCSTR path);
// Dispatches pending messages of this thread.
void PumpMessages();
// Pumps messages until pred() or the timeout; returns pred()'s last value.
template <class Pred> bool PumpUntil(Pred pred, DWORD timeoutMs = 5000)
{
    DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start > timeoutMs)
            return pred();
        PumpMessages();
        Sleep(10);
    }
    return true;
}
// The text of a window as the program holds it (Shift-JIS bytes).
std::string WindowText(HWND hWnd);
