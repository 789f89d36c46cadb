#include "CRegistSheet.h"
#include "CEditFirst.h"
#include "CEditPage.h"
#include "CEntryPage.h"
#include "CLastPage.h"
#include "CNewFirst.h"
#include "resource.h"

CRegistSheet::CRegistSheet(int nMode, CWnd* pParentWnd)
    : CPropertySheet(IDS_SHEET_CAPTION, pParentWnd, 0),
      m_pNewFirst(NULL),
      m_pEditFirst(NULL),
      m_pEditPage(NULL),
      m_pEntryPage(NULL),
      m_pLastPage(NULL),
      m_nMode(nMode)
{
    if (m_nMode == RegistNew) {
        m_pNewFirst = new CNewFirst;
        m_pNewFirst->Construct(IDD_NEWFIRST, IDS_NEWFIRST);
    } else {
        m_pEditFirst = new CEditFirst;
        m_pEditFirst->Construct(IDD_EDITFIRST,
                                m_nMode == RegistEdit ? IDS_EDITFIRST_EDIT : IDS_EDITFIRST_DELETE);
    }
    if (m_nMode != RegistDelete) {
        m_pEditPage = new CEditPage;
        m_pEditPage->Construct(IDD_EDITPAGE, IDS_EDITPAGE);
    }
    m_pEntryPage = new CEntryPage;
    m_pEntryPage->Construct(IDD_ENTRYPAGE, IDS_ENTRYPAGE);
    m_pLastPage = new CLastPage;
    m_pLastPage->Construct(IDD_LASTPAGE, IDS_LASTPAGE);

    if (m_pNewFirst)
        AddPage(m_pNewFirst);
    else
        AddPage(m_pEditFirst);
    if (m_pEditPage)
        AddPage(m_pEditPage);
    AddPage(m_pEntryPage);
    AddPage(m_pLastPage);

    SetWizardMode();
}

CRegistSheet::~CRegistSheet()
{
    // A sheet made modeless (tests) may still have its window: end it while
    // the pages it talks to are alive.
    if (m_hWnd)
        DestroyWindow();

    delete m_pNewFirst;
    delete m_pEditFirst;
    delete m_pEditPage;
    delete m_pEntryPage;
    delete m_pLastPage;
    ClearEntries();
}

void CRegistSheet::ClearEntries()
{
    INT_PTR nCount = m_entryArray.GetSize();
    for (INT_PTR i = 0; i < nCount; ++i) {
        CRegistEntry* pEntry = m_entryArray.GetAt(i);
        if (pEntry)
            delete pEntry;
    }
    m_entryArray.SetSize(0, -1);
}
