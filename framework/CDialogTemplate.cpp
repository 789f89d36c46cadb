#include "CDialogTemplate.h"

#include <cstring>
#include <vector>

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

// A menu, class or title field: 0x0000 (none), 0xFFFF and an ordinal, or a
// NUL-terminated UTF-16 string. Returns the offset after it.
size_t SkipSzOrOrd(const BYTE* p, size_t nOffset)
{
    WORD w = WordAt(p, nOffset);
    if (w == 0x0000)
        return nOffset + sizeof(WORD);
    if (w == 0xFFFF)
        return nOffset + 2 * sizeof(WORD);
    while (WordAt(p, nOffset) != 0)
        nOffset += sizeof(WORD);
    return nOffset + sizeof(WORD);
}

// Offset after a UTF-16 string that starts at nOffset; the string goes to face.
size_t ReadString(const BYTE* p, size_t nOffset, std::wstring& text)
{
    text.clear();
    for (WORD w = WordAt(p, nOffset); w != 0; w = WordAt(p, nOffset)) {
        text += static_cast<wchar_t>(w);
        nOffset += sizeof(WORD);
    }
    return nOffset + sizeof(WORD);
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
        std::wstring face;
        nOffset = ReadString(p, nOffset, face);
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

// The font fields of a template in the form (plain or extended) given.
std::vector<BYTE> EncodeFont(const CDialogTemplate::Font& font, bool bExtended)
{
    std::vector<BYTE> bytes;
    bytes.push_back(LOBYTE(font.wPointSize));
    bytes.push_back(HIBYTE(font.wPointSize));
    if (bExtended) {
        bytes.push_back(LOBYTE(font.wWeight));
        bytes.push_back(HIBYTE(font.wWeight));
        bytes.push_back(font.bItalic);
        bytes.push_back(font.bCharSet);
    }
    for (size_t i = 0; i <= font.face.size(); ++i) {
        WORD w = i < font.face.size() ? static_cast<WORD>(font.face[i]) : 0;
        bytes.push_back(LOBYTE(w));
        bytes.push_back(HIBYTE(w));
    }
    return bytes;
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
    ReadString(p, nOffset, font.face);
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
    std::vector<BYTE> result(p, p + layout.nFontStart);
    std::vector<BYTE> fontBytes = EncodeFont(font, layout.bExtended);
    result.insert(result.end(), fontBytes.begin(), fontBytes.end());
    result.resize(AlignDword(result.size()), 0);
    result.insert(result.end(), p + layout.nItemsStart, p + layout.nEnd);
    if (result.size() > layout.nEnd)
        return FALSE;
    std::memcpy(p, &result[0], result.size());
    return TRUE;
}
