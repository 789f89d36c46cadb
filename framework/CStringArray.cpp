#include "CStringArray.h"

CStringArray::CStringArray(const CStringArray& other) : m_pItems(NULL), m_nSize(0), m_nAlloc(0)
{
    *this = other;
}

CStringArray& CStringArray::operator=(const CStringArray& other)
{
    if (this != &other) {
        RemoveAll();
        for (INT_PTR i = 0; i < other.m_nSize; ++i)
            Add(other.m_pItems[i]);
    }
    return *this;
}

INT_PTR CStringArray::Add(const CString& item)
{
    if (m_nSize == m_nAlloc) {
        // Doubling: n additions cost O(n) moves. A CString moves without
        // copying its text, so a grown array costs only pointer copies.
        INT_PTR nAlloc = m_nAlloc > 0 ? 2 * m_nAlloc : 8;
        CString* pItems = new CString[static_cast<size_t>(nAlloc)];
        // item may be one of the old elements: copied before they are moved.
        pItems[m_nSize] = item;
        for (INT_PTR i = 0; i < m_nSize; ++i)
            pItems[i] = static_cast<CString&&>(m_pItems[i]);
        delete[] m_pItems;
        m_pItems = pItems;
        m_nAlloc = nAlloc;
    } else {
        m_pItems[m_nSize] = item;
    }
    return m_nSize++;
}

void CStringArray::RemoveAll()
{
    delete[] m_pItems;
    m_pItems = NULL;
    m_nSize = 0;
    m_nAlloc = 0;
}
