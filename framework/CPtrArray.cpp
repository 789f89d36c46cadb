#include "CPtrArray.h"

void CPtrArray::SetAtGrow(INT_PTR nIndex, void* p)
{
    if (nIndex < 0)
        return;
    if (nIndex >= GetSize())
        m_items.resize(static_cast<size_t>(nIndex) + 1, NULL);
    m_items[static_cast<size_t>(nIndex)] = p;
}

INT_PTR CPtrArray::Add(void* p)
{
    m_items.push_back(p);
    return GetSize() - 1;
}

void CPtrArray::RemoveAt(INT_PTR nIndex, INT_PTR nCount)
{
    if (nIndex < 0 || nCount <= 0 || nIndex >= GetSize())
        return;
    INT_PTR last = nIndex + nCount < GetSize() ? nIndex + nCount : GetSize();
    m_items.erase(m_items.begin() + nIndex, m_items.begin() + last);
}

void CPtrArray::SetSize(INT_PTR nNewSize, INT_PTR /*nGrowBy*/)
{
    if (nNewSize <= 0)
        std::vector<void*>().swap(m_items);
    else
        m_items.resize(static_cast<size_t>(nNewSize), NULL);
}
