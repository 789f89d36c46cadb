// A growable array of untyped pointers; it never owns what they point to.
#pragma once

#include "AfxTypes.h"

class CPtrArray
{
public:
    CPtrArray() : m_pItems(NULL), m_nSize(0), m_nAlloc(0), m_nGrowBy(-1) {}
    CPtrArray(const CPtrArray& other);
    ~CPtrArray() { SetSize(0); }
    CPtrArray& operator=(const CPtrArray& other);

    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_nSize == 0; }
    void* GetAt(INT_PTR nIndex) const { return m_pItems[nIndex]; }
    void* operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    void SetAt(INT_PTR nIndex, void* p) { m_pItems[nIndex] = p; }
    // Stores p at nIndex, growing the array with NULL elements as needed.
    void SetAtGrow(INT_PTR nIndex, void* p);
    INT_PTR Add(void* p);
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1);
    // nGrowBy > 0 grows the storage by that many elements at a time, 0
    // doubles it (the default), -1 keeps the earlier choice. New elements
    // are NULL. SetSize(0) empties the array and
    // releases its storage.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1);
    void RemoveAll() { SetSize(0); }

private:
    // Room for at least nSize elements, the present ones kept.
    void Reserve(INT_PTR nSize);

    void** m_pItems;   // m_nAlloc elements, the first m_nSize in use
    INT_PTR m_nSize;
    INT_PTR m_nAlloc;
    INT_PTR m_nGrowBy;
};
