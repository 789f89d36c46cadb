#include "CListBox.h"

void CListBox::GetText(int nIndex, CString& text) const
{
    int n = static_cast<int>(SendMessage(LB_GETTEXTLEN, nIndex));
    if (n == LB_ERR) {
        text.Empty();
        return;
    }
    LPSTR buffer = text.GetBuffer(n + 1);
    int copied = static_cast<int>(SendMessage(LB_GETTEXT, nIndex, reinterpret_cast<LPARAM>(buffer)));
    text.ReleaseBuffer(copied > 0 ? copied : 0);
}
