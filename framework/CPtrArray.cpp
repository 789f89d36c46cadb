#include "CPtrArray.h"

#include <cstring>

CPtrArray::CPtrArray(const CPtrArray& other) : m_pItems(NULL), m_nSize(0), m_nAlloc(0), m_nGrowBy(-1)
{
    *this = other;
}

CPtrArray& CPtrArray::operator=(const CPtrArray& other)
{
    if (this != &other) {
        SetSize(other.m_nSize, other.m_nGrowBy);
        if (m_nSize > 0)
            std::memcpy(m_pItems, other.m_pItems, static_cast<size_t>(m_nSize) * sizeof(void*));
    }
    return *this;
}

void CPtrArray::Reserve(INT_PTR nSize)
{
    if (nSize <= m_nAlloc)
        return;
    INT_PTR nAlloc = m_nGrowBy > 0 ? m_nAlloc + m_nGrowBy : (m_nAlloc > 0 ? 2 * m_nAlloc : 8);
    if (nAlloc < nSize)
        nAlloc = nSize;
    void** pItems = new void*[static_cast<size_t>(nAlloc)];
    if (m_nSize > 0)
        std::memcpy(pItems, m_pItems, static_cast<size_t>(m_nSize) * sizeof(void*));
    delete[] m_pItems;
    m_pItems = pItems;
    m_nAlloc = nAlloc;
}

void CPtrArray::SetAtGrow(INT_PTR nIndex, void* p)
{
    if (nIndex < 0)
        return;
    if (nIndex >= m_nSize)
        SetSize(nIndex + 1);
    m_pItems[nIndex] = p;
}

INT_PTR CPtrArray::Add(void* p)
{
    Reserve(m_nSize + 1);
    m_pItems[m_nSize] = p;
    return m_nSize++;
}

void CPtrArray::RemoveAt(INT_PTR nIndex, INT_PTR nCount)
{
    if (nIndex < 0 || nCount <= 0 || nIndex >= m_nSize)
        return;
    INT_PTR nLast = nIndex + nCount < m_nSize ? nIndex + nCount : m_nSize;
    std::memmove(m_pItems + nIndex, m_pItems + nLast, static_cast<size_t>(m_nSize - nLast) * sizeof(void*));
    m_nSize -= nLast - nIndex;
}

void CPtrArray::SetSize(INT_PTR nNewSize, INT_PTR nGrowBy)
{
    if (nGrowBy >= 0)
        m_nGrowBy = nGrowBy;
    if (nNewSize <= 0) {
        delete[] m_pItems;
        m_pItems = NULL;
        m_nSize = 0;
        m_nAlloc = 0;
        return;
    }
    Reserve(nNewSize);
    if (nNewSize > m_nSize)
        std::memset(m_pItems + m_nSize, 0, static_cast<size_t>(nNewSize - m_nSize) * sizeof(void*));
    m_nSize = nNewSize;
}
