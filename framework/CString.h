// A byte string in the ANSI code page (Shift-JIS under code page 932).
// Positions and lengths are in bytes; searching and case folding respect
// double-byte characters, so a trail byte is never taken for a character.
#pragma once

#include "AfxTypes.h"
#include <string>

class CString
{
public:
    CString() {}
    CString(const CString& other) : m_str(other.m_str) {}
    CString(LPCSTR psz) : m_str(psz ? psz : "") {}
    CString(LPCSTR pch, int nLength);
    CString(char ch, int nRepeat = 1);

    CString& operator=(const CString& other);
    CString& operator=(LPCSTR psz);
    CString& operator=(char ch);
    CString& operator+=(const CString& other);
    CString& operator+=(LPCSTR psz);
    CString& operator+=(char ch);

    operator LPCSTR() const { return m_str.c_str(); }
    LPCSTR GetString() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int nIndex) const { return m_str[static_cast<size_t>(nIndex)]; }

    // Byte-wise comparison (like strcmp) and the code page's case-blind one.
    int Compare(LPCSTR psz) const;
    int CompareNoCase(LPCSTR psz) const;

    void Format(LPCSTR pszFormat, ...);
    // Upper-cases the single-byte letters a-z only; double-byte characters keep
    // both bytes, even where a trail byte lies in the a-z range.
    void MakeUpper();

    // Byte offset of the first match that starts on a character boundary, or -1.
    int Find(char ch, int nStart = 0) const;
    int Find(LPCSTR pszSub, int nStart = 0) const;
    // Byte offset of the last character equal to ch, or -1.
    int ReverseFind(char ch) const;

    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Right(int nCount) const;

    // Writable buffer of at least nMinLength bytes plus the terminator;
    // ReleaseBuffer(-1) takes the length from the terminator.
    LPSTR GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

    // Length of the character that starts at byte nIndex: 2 for a lead byte
    // followed by a trail byte, else 1.
    int CharLengthAt(int nIndex) const;

private:
    std::string m_str;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCSTR b);
CString operator+(LPCSTR a, const CString& b);
CString operator+(const CString& a, char b);

inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCSTR a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, LPCSTR b) { return a.Compare(b) != 0; }
inline bool operator!=(LPCSTR a, const CString& b) { return b.Compare(a) != 0; }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
