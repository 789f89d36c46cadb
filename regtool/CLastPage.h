// Completion page of the wizard: says that the commit or removal succeeded
// and leaves only the Finish button, captioned "完了". The wizard reaches it
// only after the confirmation page reported success.
#pragma once

#include "CPropertyPage.h"

class CRegistSheet;

class CLastPage : public CPropertyPage
{
public:
    CLastPage();
    virtual ~CLastPage();

    CRegistSheet* m_pSheet;

protected:
    // Sets the texts by mode and what became of the tray icon, disables
    // Cancel and turns Finish into "完了".
    virtual BOOL OnInitDialog();

private:
    CLastPage(const CLastPage&);
    CLastPage& operator=(const CLastPage&);
};
