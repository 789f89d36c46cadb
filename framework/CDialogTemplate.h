// Reads and replaces the font of a dialog template in memory (DLGTEMPLATE or
// DLGTEMPLATEEX), as the property sheet needs to lay itself out in the font
// of its pages.
#pragma once

#include "AfxTypes.h"

class CDialogTemplate
{
public:
    // A font's face name. The system takes at most LF_FACESIZE - 1 characters
    // of a template's face (LOGFONT holds no more), and so does this.
    class FaceName
    {
    public:
        FaceName(LPCWSTR psz = L"") { *this = psz; }
        FaceName& operator=(LPCWSTR psz);
        bool operator==(LPCWSTR psz) const;
        LPCWSTR GetString() const { return m_sz; }
        int GetLength() const { return lstrlenW(m_sz); }

    private:
        WCHAR m_sz[LF_FACESIZE];
    };

    struct Font {
        WORD wPointSize;
        WORD wWeight;
        BYTE bItalic;
        BYTE bCharSet;
        FaceName face;
    };

    // The font of the dialog resource nIDTemplate; FALSE when the resource is
    // missing or names no font (no DS_SETFONT).
    static BOOL GetResourceFont(HINSTANCE hInstance, UINT nIDTemplate, Font& font);
    // The font of a template in memory; FALSE when it names none.
    static BOOL GetFont(const void* pTemplate, Font& font);
    // Bytes the template occupies, its controls included.
    static size_t GetSize(const void* pTemplate);
    // Rewrites the template with the font. Only a template that names a font
    // already and does not grow is changed (the caller's memory has no room
    // to spare); FALSE leaves it untouched.
    static BOOL SetFont(void* pTemplate, const Font& font);
};
