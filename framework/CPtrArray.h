// A growable array of untyped pointers; it never owns what they point to.
#pragma once

#include "AfxTypes.h"
#include <vector>

class CPtrArray
{
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_items.empty(); }
    void* GetAt(INT_PTR nIndex) const { return m_items[static_cast<size_t>(nIndex)]; }
    void* operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    void SetAt(INT_PTR nIndex, void* p) { m_items[static_cast<size_t>(nIndex)] = p; }
    // Stores p at nIndex, growing the array with NULL elements as needed.
    void SetAtGrow(INT_PTR nIndex, void* p);
    INT_PTR Add(void* p);
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1);
    // nGrowBy is accepted for compatibility; growth is left to the vector.
    // SetSize(0) empties the array and releases its storage.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1);
    void RemoveAll() { SetSize(0); }

private:
    std::vector<void*> m_items;
};
