// The sheet's list of listed registrations: CPtrArray with typed access.
// The array itself owns nothing; CRegistSheet::ClearEntries deletes the records.
#pragma once

#include "CPtrArray.h"
#include "CRegistEntry.h"

class CRegistEntryArray : public CPtrArray
{
public:
    CRegistEntry* GetAt(INT_PTR nIndex) const { return static_cast<CRegistEntry*>(CPtrArray::GetAt(nIndex)); }
    CRegistEntry* operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    INT_PTR Add(CRegistEntry* pEntry) { return CPtrArray::Add(pEntry); }
};
