#include "CString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

CString::CString(LPCSTR pch, int nLength)
{
    if (pch && nLength > 0)
        m_str.assign(pch, static_cast<size_t>(nLength));
}

CString::CString(char ch, int nRepeat)
{
    if (nRepeat > 0)
        m_str.assign(static_cast<size_t>(nRepeat), ch);
}

CString& CString::operator=(const CString& other)
{
    m_str = other.m_str;
    return *this;
}

CString& CString::operator=(LPCSTR psz)
{
    m_str = psz ? psz : "";
    return *this;
}

CString& CString::operator=(char ch)
{
    m_str.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const CString& other)
{
    m_str += other.m_str;
    return *this;
}

CString& CString::operator+=(LPCSTR psz)
{
    if (psz)
        m_str += psz;
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_str += ch;
    return *this;
}

int CString::Compare(LPCSTR psz) const
{
    return std::strcmp(m_str.c_str(), psz ? psz : "");
}

int CString::CompareNoCase(LPCSTR psz) const
{
    // lstrcmpiA folds per character of the code page; byte-wise folding
    // (_stricmp) would take ヂ and ア for the same text.
    return lstrcmpiA(m_str.c_str(), psz ? psz : "");
}

void CString::Format(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list measure;
    va_copy(measure, args);
    int n = std::vsnprintf(NULL, 0, pszFormat, measure);
    va_end(measure);
    if (n < 0) {
        m_str.clear();
    } else {
        std::string text(static_cast<size_t>(n) + 1, '\0');
        std::vsnprintf(&text[0], text.size(), pszFormat, args);
        text.resize(static_cast<size_t>(n));
        m_str.swap(text);
    }
    va_end(args);
}

int CString::CharLengthAt(int nIndex) const
{
    size_t i = static_cast<size_t>(nIndex);
    if (i + 1 < m_str.size() && IsDBCSLeadByte(static_cast<BYTE>(m_str[i])))
        return 2;
    return 1;
}

void CString::MakeUpper()
{
    for (int i = 0; i < GetLength(); i += CharLengthAt(i)) {
        char& c = m_str[static_cast<size_t>(i)];
        if (c >= 'a' && c <= 'z' && CharLengthAt(i) == 1)
            c = static_cast<char>(c - 'a' + 'A');
    }
}

int CString::Find(char ch, int nStart) const
{
    for (int i = 0; i < GetLength(); i += CharLengthAt(i)) {
        if (i >= nStart && CharLengthAt(i) == 1 && m_str[static_cast<size_t>(i)] == ch)
            return i;
    }
    return -1;
}

int CString::Find(LPCSTR pszSub, int nStart) const
{
    if (!pszSub)
        return -1;
    size_t subLength = std::strlen(pszSub);
    for (int i = 0; i <= GetLength(); i += CharLengthAt(i)) {
        if (i >= nStart && m_str.compare(static_cast<size_t>(i), subLength, pszSub) == 0)
            return i;
        if (i == GetLength())
            break;
    }
    return -1;
}

int CString::ReverseFind(char ch) const
{
    int found = -1;
    for (int i = 0; i < GetLength(); i += CharLengthAt(i)) {
        if (CharLengthAt(i) == 1 && m_str[static_cast<size_t>(i)] == ch)
            found = i;
    }
    return found;
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    return CString(m_str.c_str(), nCount < GetLength() ? nCount : GetLength());
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= GetLength() || nCount <= 0)
        return CString();
    int available = GetLength() - nFirst;
    return CString(m_str.c_str() + nFirst, nCount < available ? nCount : available);
}

CString CString::Right(int nCount) const
{
    if (nCount <= 0)
        return CString();
    if (nCount >= GetLength())
        return *this;
    return CString(m_str.c_str() + GetLength() - nCount, nCount);
}

LPSTR CString::GetBuffer(int nMinLength)
{
    if (nMinLength > GetLength())
        m_str.resize(static_cast<size_t>(nMinLength), '\0');
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(std::strlen(m_str.c_str()));
    if (nNewLength > GetLength())
        nNewLength = GetLength();
    m_str.resize(static_cast<size_t>(nNewLength));
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
