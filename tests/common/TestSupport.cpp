#include "TestSupport.h"

#include <cstdio>

MessageBoxRecorder* MessageBoxRecorder::s_active = NULL;

MessageBoxRecorder::MessageBoxRecorder(int answer)
    : m_previous(NULL), m_previousRecorder(s_active), m_answer(answer)
{
    s_active = this;
    m_previous = AfxSetMessageBoxHook(Record);
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    AfxSetMessageBoxHook(m_previous);
    s_active = m_previousRecorder;
}

int MessageBoxRecorder::Record(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
    MessageBoxRecorder* self = s_active;
    Box box = { hOwner, pszText ? pszText : "", pszCaption ? pszCaption : "", nType };
    self->m_boxes.push_back(box);
    return self->m_answer;
}

std::string MessageBoxRecorder::Texts() const
{
    std::string all;
    for (size_t i = 0; i < m_boxes.size(); ++i)
        all += m_boxes[i].text + "\n";
    return all;
}

std::string MessageBoxRecorder::LastText() const
{
    return m_boxes.empty() ? std::string() : m_boxes.back().text;
}

TempFolder::TempFolder(const char* prefix)
{
    char base[MAX_PATH] = {0};
    GetTempPathA(MAX_PATH, base);
    static unsigned s_counter = 0;
    for (;;) {
        CString path;
        path.Format("%s%s_%lu_%u", base, prefix, GetCurrentProcessId(), ++s_counter);
        if (CreateDirectoryA(path, NULL)) {
            m_path = path;
            break;
        }
    }
}

TempFolder::~TempFolder()
{
    RemoveTreeForTest(m_path);
}

CString TempFolder::Sub(LPCSTR relative) const
{
    return m_path + "\\" + relative;
}

BOOL TempFolder::WriteFile(LPCSTR relative, const std::string& bytes) const
{
    FILE* f = std::fopen(Sub(relative), "wb");
    if (!f)
        return FALSE;
    size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return written == bytes.size();
}

BOOL TempFolder::MakeFolder(LPCSTR relative) const
{
    return CreateDirectoryA(Sub(relative), NULL);
}

std::string ReadWholeFile(LPCSTR path)
{
    std::string bytes;
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

BOOL PathExists(LPCSTR path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTreeForTest(LPCSTR path)
{
    CString root(path);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(root + "\\*", &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            CString name(fd.cFileName);
            if (name == "." || name == "..")
                continue;
            CString item = root + "\\" + name;
            SetFileAttributesA(item, FILE_ATTRIBUTE_NORMAL);
            // Links are removed as links: never follow them out of the tree.
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTreeForTest(item);
            else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(item);
            else
                DeleteFileA(item);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    SetFileAttributesA(root, FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(root);
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string WindowText(HWND hWnd)
{
    char buffer[1024] = {0};
    GetWindowTextA(hWnd, buffer, sizeof(buffer));
    return buffer;
}
