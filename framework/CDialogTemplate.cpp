#include "CDialogTemplate.h"

#include <cstring>

namespace {

// Where the parts of one template lie, as byte offsets from its start.
struct TemplateLayout {
    bool bExtended;       // DLGTEMPLATEEX (dlgVer 1, signature 0xFFFF)
    bool bHasFont;        // DS_SETFONT: font fields follow the title
    size_t nFontStart;    // first byte after the title
    size_t nItemsStart;   // first control, DWORD aligned
    size_t nEnd;          // one past the last control
};

// Fixed header sizes of the two template forms and their controls.
const size_t kHeaderSize = 18;
const size_t kHeaderSizeEx = 26;
const size_t kItemHeaderSize = 18;
const size_t kItemHeaderSizeEx = 24;

size_t AlignDword(size_t n)
{
    return (n + 3) & ~static_cast<size_t>(3);
}

WORD WordAt(const BYTE* p, size_t nOffset)
{
    WORD w;
    std::memcpy(&w, p + nOffset, sizeof(w));
    return w;
}

DWORD DwordAt(const BYTE* p, size_t nOffset)
{
    DWORD dw;
    std::memcpy(&dw, p + nOffset, sizeof(dw));
    return dw;
}

// Offset after the UTF-16 string that starts at nOffset.
size_t SkipString(const BYTE* p, size_t nOffset)
{
    while (WordAt(p, nOffset) != 0)
        nOffset += sizeof(WORD);
    return nOffset + sizeof(WORD);
}

// A menu, class or title field: 0x0000 (none), 0xFFFF and an ordinal, or a
// NUL-terminated UTF-16 string. Returns the offset after it.
size_t SkipSzOrOrd(const BYTE* p, size_t nOffset)
{
    WORD w = WordAt(p, nOffset);
    if (w == 0x0000)
        return nOffset + sizeof(WORD);
    if (w == 0xFFFF)
        return nOffset + 2 * sizeof(WORD);
    return SkipString(p, nOffset);
}

TemplateLayout ReadLayout(const BYTE* p)
{
    TemplateLayout layout;
    layout.bExtended = WordAt(p, 0) == 1 && WordAt(p, 2) == 0xFFFF;
    DWORD dwStyle = layout.bExtended ? DwordAt(p, 12) : DwordAt(p, 0);
    WORD nItems = layout.bExtended ? WordAt(p, 16) : WordAt(p, 8);
    layout.bHasFont = (dwStyle & DS_SETFONT) != 0;

    size_t nOffset = layout.bExtended ? kHeaderSizeEx : kHeaderSize;
    nOffset = SkipSzOrOrd(p, nOffset);   // menu
    nOffset = SkipSzOrOrd(p, nOffset);   // window class
    nOffset = SkipSzOrOrd(p, nOffset);   // title
    layout.nFontStart = nOffset;
    if (layout.bHasFont) {
        nOffset += layout.bExtended ? 6 : 2;   // size, and weight, italic, charset
        nOffset = SkipString(p, nOffset);
    }
    layout.nItemsStart = AlignDword(nOffset);

    nOffset = layout.nItemsStart;
    for (WORD i = 0; i < nItems; ++i) {
        nOffset = AlignDword(nOffset);
        nOffset += layout.bExtended ? kItemHeaderSizeEx : kItemHeaderSize;
        nOffset = SkipSzOrOrd(p, nOffset);   // class
        nOffset = SkipSzOrOrd(p, nOffset);   // title
        WORD cbExtra = WordAt(p, nOffset);   // creation data, after its size word
        nOffset += sizeof(WORD) + cbExtra;
    }
    layout.nEnd = nOffset;
    return layout;
}

// Bytes of the font fields of a template in the form (plain or extended) given.
size_t FontSize(const CDialogTemplate::Font& font, bool bExtended)
{
    return (bExtended ? 6 : 2) + (static_cast<size_t>(font.face.GetLength()) + 1) * sizeof(WORD);
}

// Writes the font fields at p.
void WriteFont(BYTE* p, const CDialogTemplate::Font& font, bool bExtended)
{
    std::memcpy(p, &font.wPointSize, sizeof(WORD));
    p += sizeof(WORD);
    if (bExtended) {
        std::memcpy(p, &font.wWeight, sizeof(WORD));
        p[2] = font.bItalic;
        p[3] = font.bCharSet;
        p += 4;
    }
    std::memcpy(p, font.face.GetString(), (static_cast<size_t>(font.face.GetLength()) + 1) * sizeof(WORD));
}

}  // namespace

BOOL CDialogTemplate::GetResourceFont(HINSTANCE hInstance, UINT nIDTemplate, Font& font)
{
    HRSRC hResource = FindResourceA(hInstance, MAKEINTRESOURCEA(nIDTemplate), MAKEINTRESOURCEA(5));
    HGLOBAL hData = hResource ? LoadResource(hInstance, hResource) : NULL;
    const void* pTemplate = hData ? LockResource(hData) : NULL;
    return pTemplate ? GetFont(pTemplate, font) : FALSE;
}

BOOL CDialogTemplate::GetFont(const void* pTemplate, Font& font)
{
    const BYTE* p = static_cast<const BYTE*>(pTemplate);
    TemplateLayout layout = ReadLayout(p);
    if (!layout.bHasFont)
        return FALSE;
    size_t nOffset = layout.nFontStart;
    font.wPointSize = WordAt(p, nOffset);
    font.wWeight = FW_NORMAL;
    font.bItalic = FALSE;
    font.bCharSet = DEFAULT_CHARSET;
    nOffset += sizeof(WORD);
    if (layout.bExtended) {
        font.wWeight = WordAt(p, nOffset);
        font.bItalic = p[nOffset + 2];
        font.bCharSet = p[nOffset + 3];
        nOffset += 4;
    }
    // The face is copied per character: the template need not be aligned.
    WCHAR face[LF_FACESIZE];
    size_t n = 0;
    for (WORD w = WordAt(p, nOffset); w != 0 && n + 1 < LF_FACESIZE; w = WordAt(p, nOffset)) {
        face[n++] = static_cast<WCHAR>(w);
        nOffset += sizeof(WORD);
    }
    face[n] = 0;
    font.face = face;
    return TRUE;
}

size_t CDialogTemplate::GetSize(const void* pTemplate)
{
    return ReadLayout(static_cast<const BYTE*>(pTemplate)).nEnd;
}

BOOL CDialogTemplate::SetFont(void* pTemplate, const Font& font)
{
    BYTE* p = static_cast<BYTE*>(pTemplate);
    TemplateLayout layout = ReadLayout(p);
    if (!layout.bHasFont)
        return FALSE;

    // Header and title as they are, the new font, then the controls from a
    // DWORD boundary: each control's own alignment counts from the template's
    // start, so the block keeps it when it moves by a multiple of four.
    size_t nFontEnd = layout.nFontStart + FontSize(font, layout.bExtended);
    size_t nItemsStart = AlignDword(nFontEnd);
    size_t nItemsSize = layout.nEnd - layout.nItemsStart;
    if (nItemsStart + nItemsSize > layout.nEnd)
        return FALSE;
    // Controls first: the new font may be longer than the old one and would
    // overwrite them; the old font's bytes are not needed any more.
    std::memmove(p + nItemsStart, p + layout.nItemsStart, nItemsSize);
    WriteFont(p + layout.nFontStart, font, layout.bExtended);
    std::memset(p + nFontEnd, 0, nItemsStart - nFontEnd);
    return TRUE;
}

CDialogTemplate::FaceName& CDialogTemplate::FaceName::operator=(LPCWSTR psz)
{
    int n = 0;
    for (; psz && psz[n] != 0 && n + 1 < LF_FACESIZE; ++n)
        m_sz[n] = psz[n];
    // A cut never leaves half a surrogate pair.
    if (n > 0 && n + 1 == LF_FACESIZE && IS_HIGH_SURROGATE(m_sz[n - 1]))
        --n;
    m_sz[n] = 0;
    return *this;
}

bool CDialogTemplate::FaceName::operator==(LPCWSTR psz) const
{
    return psz && lstrcmpW(m_sz, psz) == 0;
}
