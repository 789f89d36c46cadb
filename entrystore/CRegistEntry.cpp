#include "CRegistEntry.h"

#include <cstdlib>

static const char kSection[] = "data";
// Values keep at most 259 bytes, as in the 260-byte buffers of the callers.
static const int kMaxValueBytes = MAX_PATH - 1;
// The file is read with room to spare: with a buffer of exactly 260 bytes
// Wine drops the last character of a 259-byte value that is written inside
// quotes (it cuts before it takes the quotes off).
static const int kReadBufferSize = 4 * MAX_PATH;

CRegistEntry::CRegistEntry()
    : m_hEntryIcon(NULL), m_nIconIndex(0), m_bOrgIcon(FALSE)
{
}

CRegistEntry::~CRegistEntry()
{
    if (m_hEntryIcon)
        DestroyIcon(m_hEntryIcon);
}

CRegistEntry::CRegistEntry(const CRegistEntry& other)
    : m_hEntryIcon(NULL), m_nIconIndex(0), m_bOrgIcon(FALSE)
{
    *this = other;
}

CRegistEntry& CRegistEntry::operator=(const CRegistEntry& other)
{
    if (this == &other)
        return *this;
    // No operation stores a handle in the slot; a copy gets none, so that two
    // records never release one icon twice.
    m_hEntryIcon = NULL;
    m_strDispName = other.m_strDispName;
    m_strIniPath = other.m_strIniPath;
    m_strProgram = other.m_strProgram;
    m_strCmdLine = other.m_strCmdLine;
    m_strWorkDir = other.m_strWorkDir;
    m_strIconPath = other.m_strIconPath;
    m_bOrgIcon = other.m_bOrgIcon;
    return *this;
}

void CRegistEntry::Clear()
{
    m_strDispName.Empty();
    m_strIniPath.Empty();
    m_strProgram.Empty();
    m_strCmdLine.Empty();
    m_strWorkDir.Empty();
    m_strIconPath.Empty();
    m_hEntryIcon = NULL;
    m_bOrgIcon = FALSE;
}

// The first 259 bytes of a value, cut at a character boundary: the platform
// may itself cut inside a double-byte character and leave its lead byte.
static CString ValueFromBuffer(const char* buffer)
{
    CString value(buffer);
    int end = 0;
    while (end < value.GetLength()) {
        int step = value.CharLengthAt(end);
        if (step == 1 && IsDBCSLeadByte(static_cast<BYTE>(value.GetAt(end))))
            break;   // a lone lead byte at the end: drop it
        if (end + step > kMaxValueBytes)
            break;
        end += step;
    }
    return end < value.GetLength() ? value.Left(end) : value;
}

static CString ReadValue(LPCSTR iniPath, LPCSTR key, LPCSTR defaultValue)
{
    char buffer[kReadBufferSize] = {0};
    GetPrivateProfileStringA(kSection, key, defaultValue, buffer, kReadBufferSize, iniPath);
    buffer[kReadBufferSize - 1] = '\0';
    return ValueFromBuffer(buffer);
}

BOOL LoadEntryFields(LPCSTR iniPath, const EntryFields& fields)
{
    CString file(iniPath);
    fields.dispName = ReadValue(file, "dispname", "");
    fields.program = ReadValue(file, "program", "");
    fields.cmdLine = ReadValue(file, "cmdline", "");
    fields.workDir = ReadValue(file, "workdir", "");
    fields.iconPath = ReadValue(file, "iconpath", "");
    fields.orgIcon = std::atoi(ReadValue(file, "orgicon", "0")) != 0 ? TRUE : FALSE;
    return !fields.program.IsEmpty();
}

BOOL LoadEntry(CRegistEntry* pEntry)
{
    EntryFields fields = { pEntry->m_strDispName, pEntry->m_strProgram, pEntry->m_strCmdLine,
                           pEntry->m_strWorkDir, pEntry->m_strIconPath, pEntry->m_bOrgIcon };
    return LoadEntryFields(pEntry->m_strIniPath, fields);
}

BOOL IsStorableProfileValue(const CString& value)
{
    // A CR or LF would start a new line (and a new section) in the file.
    for (int i = 0; i < value.GetLength(); ++i) {
        if (static_cast<unsigned char>(value.GetAt(i)) < 0x20)
            return FALSE;
    }
    return TRUE;
}

CString EncodeProfileValue(const CString& value)
{
    // On reading, the profile functions strip surrounding blanks and one pair
    // of enclosing quotes, double or single ('abc' reads as abc); on writing,
    // leading blanks are dropped. One extra pair of double quotes protects
    // such a value; every other value is written as it is, so existing files
    // read the same both ways. (Neither quote nor blank is ever the second
    // byte of a double-byte character.)
    int n = value.GetLength();
    if (n == 0)
        return value;
    char first = value.GetAt(0);
    char last = value.GetAt(n - 1);
    BOOL blankAtEdge = first == ' ' || first == '\t' || last == ' ' || last == '\t';
    BOOL quoted = n >= 2 && (first == '"' || first == '\'') && last == first;
    if (blankAtEdge || quoted)
        return "\"" + value + "\"";
    return value;
}

static BOOL WriteValue(LPCSTR iniPath, LPCSTR key, const CString& value)
{
    return WritePrivateProfileStringA(kSection, key, EncodeProfileValue(value), iniPath) != FALSE;
}

BOOL SaveEntry(CRegistEntry* pEntry)
{
    const CString* values[] = { &pEntry->m_strDispName, &pEntry->m_strProgram,
                                &pEntry->m_strCmdLine, &pEntry->m_strIconPath,
                                &pEntry->m_strWorkDir };
    for (const CString* value : values) {
        if (!IsStorableProfileValue(*value))
            return FALSE;
    }
    CString file(pEntry->m_strIniPath);
    if (file.IsEmpty() || file.GetLength() >= MAX_PATH)
        return FALSE;
    BOOL ok = TRUE;
    ok &= WriteValue(file, "dispname", pEntry->m_strDispName);
    ok &= WriteValue(file, "program", pEntry->m_strProgram);
    ok &= WriteValue(file, "cmdline", pEntry->m_strCmdLine);
    ok &= WriteValue(file, "iconpath", pEntry->m_strIconPath);
    ok &= WriteValue(file, "orgicon", pEntry->m_bOrgIcon ? "1" : "0");
    ok &= WriteValue(file, "workdir", pEntry->m_strWorkDir);
    return ok;
}
