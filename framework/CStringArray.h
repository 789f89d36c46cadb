// A growable array of CString values.
#pragma once

#include "CString.h"

class CStringArray
{
public:
    CStringArray() : m_pItems(NULL), m_nSize(0), m_nAlloc(0) {}
    CStringArray(const CStringArray& other);
    ~CStringArray() { RemoveAll(); }
    CStringArray& operator=(const CStringArray& other);

    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_nSize == 0; }
    INT_PTR Add(const CString& item);
    const CString& GetAt(INT_PTR nIndex) const { return m_pItems[nIndex]; }
    CString& ElementAt(INT_PTR nIndex) { return m_pItems[nIndex]; }
    const CString& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    CString& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }
    void SetAt(INT_PTR nIndex, const CString& item) { ElementAt(nIndex) = item; }
    // Empties the array and releases its storage.
    void RemoveAll();

private:
    CString* m_pItems;   // m_nAlloc elements, the first m_nSize in use
    INT_PTR m_nSize;
    INT_PTR m_nAlloc;
};
