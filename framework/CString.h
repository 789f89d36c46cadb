// A byte string in the ANSI code page (Shift-JIS under code page 932).
// Positions and lengths are in bytes; searching and case folding respect
// double-byte characters, so a trail byte is never taken for a character.
#pragma once

#include "AfxTypes.h"

#include <cstdarg>

// The text lives in one heap block that grows geometrically; an empty string
// owns no block and shows a shared empty text.
class CString
{
public:
    CString() : m_pch(EmptyText()), m_nLength(0), m_nAlloc(0) {}
    CString(const CString& other);
    CString(CString&& other);
    CString(LPCSTR psz);
    CString(LPCSTR pch, int nLength);
    CString(char ch, int nRepeat = 1);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other);
    CString& operator=(LPCSTR psz);
    CString& operator=(char ch);
    CString& operator+=(const CString& other);
    CString& operator+=(LPCSTR psz);
    CString& operator+=(char ch);

    operator LPCSTR() const { return m_pch; }
    LPCSTR GetString() const { return m_pch; }
    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return m_nLength == 0; }
    // Keeps the block for reuse; the destructor releases it.
    void Empty() { SetLength(0); }
    char GetAt(int nIndex) const { return m_pch[nIndex]; }

    // Byte-wise comparison (like strcmp) and the code page's case-blind one.
    int Compare(LPCSTR psz) const;
    int CompareNoCase(LPCSTR psz) const;

    void Format(LPCSTR pszFormat, ...);
    // Formats the string-table text nFormatID: the one place where a shown
    // text takes its values (%d, %s).
    void Format(UINT nFormatID, ...);
    void FormatV(LPCSTR pszFormat, va_list args);
    // Sets the string to the string-table text nID, read wide and converted to
    // the ANSI code page (932 once the program runs). FALSE, emptied, without it.
    BOOL LoadString(UINT nID);
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

    // Sets the string to wide text in the ANSI code page, converted without
    // the platform's best-fit stand-ins (é as e, ¥ as a backslash), which can
    // name a different, existing file. FALSE, with the string emptied, when a
    // character has no exact form in the code page.
    BOOL SetFromWideExact(LPCWSTR pwsz);

    // Length of the character that starts at byte nIndex: 2 for a lead byte
    // followed by a trail byte, else 1.
    int CharLengthAt(int nIndex) const;

private:
    static LPSTR EmptyText();
    // Makes room for nLength bytes and the terminator, keeping the text.
    void Reserve(int nLength);
    int BlockSizeFor(int nLength) const;
    // Moves the text into a new block with room for nLength bytes, with
    // nTail bytes from pchTail appended.
    void Grow(int nLength, LPCSTR pchTail, int nTail);
    // Sets the length and writes the terminator (room must be there).
    void SetLength(int nLength);
    void Assign(LPCSTR pch, int nLength);
    void Append(LPCSTR pch, int nLength);
    void Release();

    LPSTR m_pch;     // the text, NUL-terminated; EmptyText() while m_nAlloc is 0
    int m_nLength;   // bytes before the terminator
    int m_nAlloc;    // bytes of the block, terminator included; 0 for none
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
