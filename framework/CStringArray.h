// A growable array of CString values.
#pragma once

#include "CString.h"
#include <vector>

class CStringArray
{
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_items.empty(); }
    INT_PTR Add(const CString& item);
    const CString& GetAt(INT_PTR nIndex) const { return m_items[static_cast<size_t>(nIndex)]; }
    CString& ElementAt(INT_PTR nIndex) { return m_items[static_cast<size_t>(nIndex)]; }
    const CString& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    CString& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }
    void SetAt(INT_PTR nIndex, const CString& item) { ElementAt(nIndex) = item; }
    void RemoveAll();

private:
    std::vector<CString> m_items;
};
