#include "CString.h"
#include "CWinApp.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

LPSTR CString::EmptyText()
{
    // Never written: SetLength writes a terminator only into an owned block.
    static char s_empty[1] = { '\0' };
    return s_empty;
}

CString::CString(const CString& other) : m_pch(EmptyText()), m_nLength(0), m_nAlloc(0)
{
    Assign(other.m_pch, other.m_nLength);
}

CString::CString(CString&& other) : m_pch(other.m_pch), m_nLength(other.m_nLength), m_nAlloc(other.m_nAlloc)
{
    other.m_pch = EmptyText();
    other.m_nLength = 0;
    other.m_nAlloc = 0;
}

CString::CString(LPCSTR psz) : m_pch(EmptyText()), m_nLength(0), m_nAlloc(0)
{
    if (psz)
        Assign(psz, static_cast<int>(std::strlen(psz)));
}

CString::CString(LPCSTR pch, int nLength) : m_pch(EmptyText()), m_nLength(0), m_nAlloc(0)
{
    if (pch && nLength > 0)
        Assign(pch, nLength);
}

CString::CString(char ch, int nRepeat) : m_pch(EmptyText()), m_nLength(0), m_nAlloc(0)
{
    if (nRepeat > 0) {
        Reserve(nRepeat);
        std::memset(m_pch, ch, static_cast<size_t>(nRepeat));
        SetLength(nRepeat);
    }
}

CString::~CString()
{
    Release();
}

void CString::Release()
{
    if (m_nAlloc > 0)
        delete[] m_pch;
    m_pch = EmptyText();
    m_nLength = 0;
    m_nAlloc = 0;
}

void CString::SetLength(int nLength)
{
    m_nLength = nLength;
    if (m_nAlloc > 0)
        m_pch[nLength] = '\0';
}

int CString::BlockSizeFor(int nLength) const
{
    // Doubling keeps a string built by many appends at linear cost; the
    // first block is exact, as most strings are copied once and never grow.
    int nAlloc = nLength + 1;
    if (m_nAlloc > 0 && m_nAlloc <= 0x3FFFFFFF && nAlloc < 2 * m_nAlloc)
        nAlloc = 2 * m_nAlloc;
    return nAlloc;
}

void CString::Reserve(int nLength)
{
    if (nLength < m_nAlloc)
        return;
    Grow(nLength, NULL, 0);
}

void CString::Grow(int nLength, LPCSTR pchTail, int nTail)
{
    // pchTail may point into the old block (s += s): it is read before the
    // old block goes.
    int nAlloc = BlockSizeFor(nLength);
    LPSTR pNew = new char[static_cast<size_t>(nAlloc)];
    std::memcpy(pNew, m_pch, static_cast<size_t>(m_nLength));
    if (nTail > 0)
        std::memcpy(pNew + m_nLength, pchTail, static_cast<size_t>(nTail));
    int nKeep = m_nLength + nTail;
    Release();
    m_pch = pNew;
    m_nAlloc = nAlloc;
    SetLength(nKeep);
}

void CString::Assign(LPCSTR pch, int nLength)
{
    if (nLength <= 0) {
        SetLength(0);
        return;
    }
    if (nLength < m_nAlloc) {
        // pch may point into this very text: memmove copes with the overlap.
        std::memmove(m_pch, pch, static_cast<size_t>(nLength));
        SetLength(nLength);
        return;
    }
    // The old block stays alive until the copy is done, for the same reason.
    LPSTR pNew = new char[static_cast<size_t>(nLength) + 1];
    std::memcpy(pNew, pch, static_cast<size_t>(nLength));
    Release();
    m_pch = pNew;
    m_nAlloc = nLength + 1;
    SetLength(nLength);
}

void CString::Append(LPCSTR pch, int nLength)
{
    if (nLength <= 0)
        return;
    int nNew = m_nLength + nLength;
    if (nNew < m_nAlloc) {
        std::memmove(m_pch + m_nLength, pch, static_cast<size_t>(nLength));
        SetLength(nNew);
    } else {
        Grow(nNew, pch, nLength);
    }
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other.m_pch, other.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& other)
{
    if (this != &other) {
        Release();
        m_pch = other.m_pch;
        m_nLength = other.m_nLength;
        m_nAlloc = other.m_nAlloc;
        other.m_pch = EmptyText();
        other.m_nLength = 0;
        other.m_nAlloc = 0;
    }
    return *this;
}

CString& CString::operator=(LPCSTR psz)
{
    Assign(psz, psz ? static_cast<int>(std::strlen(psz)) : 0);
    return *this;
}

CString& CString::operator=(char ch)
{
    Assign(&ch, 1);
    return *this;
}

CString& CString::operator+=(const CString& other)
{
    Append(other.m_pch, other.m_nLength);
    return *this;
}

CString& CString::operator+=(LPCSTR psz)
{
    if (psz)
        Append(psz, static_cast<int>(std::strlen(psz)));
    return *this;
}

CString& CString::operator+=(char ch)
{
    Append(&ch, 1);
    return *this;
}

int CString::Compare(LPCSTR psz) const
{
    return std::strcmp(m_pch, psz ? psz : "");
}

int CString::CompareNoCase(LPCSTR psz) const
{
    // lstrcmpiA folds per character of the code page; byte-wise folding
    // (_stricmp) would take ヂ and ア for the same text.
    return lstrcmpiA(m_pch, psz ? psz : "");
}

void CString::Format(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::Format(UINT nFormatID, ...)
{
    CString format;
    format.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(LPCSTR pszFormat, va_list args)
{
    // The system's runtime formats (msvcrt's _vscprintf/_vsnprintf): the C
    // library's own printf family would link a second formatter into each
    // program. The arguments may be this very text, so the result is built
    // in a new string and moved in.
    va_list measure;
    va_copy(measure, args);
    int n = _vscprintf(pszFormat, measure);
    va_end(measure);
    CString text;
    if (n > 0) {
        text.Reserve(n);
        int nWritten = _vsnprintf(text.m_pch, static_cast<size_t>(n) + 1, pszFormat, args);
        text.SetLength(nWritten == n ? n : 0);
    }
    *this = static_cast<CString&&>(text);
}

BOOL CString::LoadString(UINT nID)
{
    Empty();
    // With a zero length LoadStringW hands out the resource's own read-only
    // text, not terminated, so no buffer size limits a text.
    LPCWSTR pwch = NULL;
    int nChars = LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&pwch), 0);
    if (nChars <= 0 || !pwch)
        return FALSE;
    int nBytes = WideCharToMultiByte(CP_ACP, 0, pwch, nChars, NULL, 0, NULL, NULL);
    if (nBytes <= 0)
        return FALSE;
    LPSTR pch = GetBuffer(nBytes);
    ReleaseBuffer(WideCharToMultiByte(CP_ACP, 0, pwch, nChars, pch, nBytes, NULL, NULL));
    return !IsEmpty();
}

int CString::CharLengthAt(int nIndex) const
{
    if (nIndex + 1 < m_nLength && IsDBCSLeadByte(static_cast<BYTE>(m_pch[nIndex])))
        return 2;
    return 1;
}

void CString::MakeUpper()
{
    for (int i = 0; i < m_nLength; i += CharLengthAt(i)) {
        char& c = m_pch[i];
        if (c >= 'a' && c <= 'z' && CharLengthAt(i) == 1)
            c = static_cast<char>(c - 'a' + 'A');
    }
}

int CString::Find(char ch, int nStart) const
{
    for (int i = 0; i < m_nLength; i += CharLengthAt(i)) {
        if (i >= nStart && CharLengthAt(i) == 1 && m_pch[i] == ch)
            return i;
    }
    return -1;
}

int CString::Find(LPCSTR pszSub, int nStart) const
{
    if (!pszSub)
        return -1;
    int nSubLength = static_cast<int>(std::strlen(pszSub));
    for (int i = 0; i <= m_nLength; i += CharLengthAt(i)) {
        if (i >= nStart && m_nLength - i >= nSubLength
            && std::memcmp(m_pch + i, pszSub, static_cast<size_t>(nSubLength)) == 0)
            return i;
        if (i == m_nLength)
            break;
    }
    return -1;
}

int CString::ReverseFind(char ch) const
{
    int found = -1;
    for (int i = 0; i < m_nLength; i += CharLengthAt(i)) {
        if (CharLengthAt(i) == 1 && m_pch[i] == ch)
            found = i;
    }
    return found;
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return CString(m_pch, nCount < m_nLength ? nCount : m_nLength);
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, m_nLength);
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= m_nLength || nCount <= 0)
        return CString();
    int available = m_nLength - nFirst;
    return CString(m_pch + nFirst, nCount < available ? nCount : available);
}

CString CString::Right(int nCount) const
{
    if (nCount <= 0)
        return CString();
    if (nCount >= m_nLength)
        return *this;
    return CString(m_pch + m_nLength - nCount, nCount);
}

LPSTR CString::GetBuffer(int nMinLength)
{
    // Always an owned block, even for an empty string: the caller writes.
    Reserve(nMinLength > m_nLength ? nMinLength : m_nLength);
    if (nMinLength > m_nLength) {
        std::memset(m_pch + m_nLength, 0, static_cast<size_t>(nMinLength - m_nLength));
        SetLength(nMinLength);
    }
    return m_pch;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(std::strlen(m_pch));
    if (nNewLength > m_nLength)
        nNewLength = m_nLength;
    SetLength(nNewLength);
}

BOOL CString::SetFromWideExact(LPCWSTR pwsz)
{
    Empty();
    // Where UTF-8 is the ANSI code page, every character has a form and the
    // call takes neither the best-fit flag nor the used-default flag.
    BOOL bUtf8 = GetACP() == CP_UTF8;
    UINT nCodePage = bUtf8 ? CP_UTF8 : CP_ACP;
    DWORD dwFlags = bUtf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL bUsedDefault = FALSE;
    LPBOOL pUsedDefault = bUtf8 ? NULL : &bUsedDefault;
    int nBytes = WideCharToMultiByte(nCodePage, dwFlags, pwsz, -1, NULL, 0, NULL, pUsedDefault);
    if (nBytes <= 0 || bUsedDefault)
        return FALSE;
    LPSTR pch = GetBuffer(nBytes - 1);
    int nCopied = WideCharToMultiByte(nCodePage, dwFlags, pwsz, -1, pch, nBytes, NULL, pUsedDefault);
    if (nCopied != nBytes || bUsedDefault) {
        Empty();
        return FALSE;
    }
    ReleaseBuffer(nBytes - 1);
    return TRUE;
}

CString operator+(const CString& a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString& a, LPCSTR b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(LPCSTR a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString& a, char b)
{
    CString s(a);
    s += b;
    return s;
}
