#include "CStringArray.h"

INT_PTR CStringArray::Add(const CString& item)
{
    m_items.push_back(item);
    return GetSize() - 1;
}

void CStringArray::RemoveAll()
{
    std::vector<CString>().swap(m_items);
}
