// The registration wizard sheet: pages per mode with their templates and
// captions, what the shown wizard displays, and that the sheet frees its
// pages and listed entries however it ends.
#include "CEditFirst.h"
#include "CEditPage.h"
#include "CEntryPage.h"
#include "CLastPage.h"
#include "CNewFirst.h"
#include "CRegistSheet.h"
#include "CWinApp.h"
#include "TestSupport.h"
#include "WizardDriver.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

// Every C++ allocation of this test program is counted, so that a test can
// tell whether an object freed all it allocated.
static volatile LONG g_nLiveAllocations = 0;

void* operator new(size_t nSize)
{
    void* p = std::malloc(nSize ? nSize : 1);
    if (!p)
        throw std::bad_alloc();
    InterlockedIncrement(&g_nLiveAllocations);
    return p;
}

void operator delete(void* p) noexcept
{
    if (!p)
        return;
    InterlockedDecrement(&g_nLiveAllocations);
    std::free(p);
}

void operator delete(void* p, size_t) noexcept
{
    operator delete(p);
}

namespace {

struct ExpectedPage {
    UINT nTemplate;
    const char* pszCaption;
};

struct ExpectedWizard {
    int nMode;
    std::vector<ExpectedPage> pages;
};

const std::vector<ExpectedWizard>& Modes()
{
    static const std::vector<ExpectedWizard> modes = {
        { RegistNew,
          { { IDD_NEWFIRST, "新規登録" },
            { IDD_EDITPAGE, "情報の編集" },
            { IDD_ENTRYPAGE, "登録確認" },
            { IDD_LASTPAGE, "処理終了" } } },
        { RegistEdit,
          { { IDD_EDITFIRST, "登録情報編集" },
            { IDD_EDITPAGE, "情報の編集" },
            { IDD_ENTRYPAGE, "登録確認" },
            { IDD_LASTPAGE, "処理終了" } } },
        { RegistDelete,
          { { IDD_EDITFIRST, "登録情報削除" },
            { IDD_ENTRYPAGE, "登録確認" },
            { IDD_LASTPAGE, "処理終了" } } },
    };
    return modes;
}

// What the user sees: the sheet's title in wizard mode is the current page's
// caption from the string table; every page is shown in the sheet.
TEST(SheetTest, ShownWizardCarriesTheCaptionsOfItsMode)
{
    for (const ExpectedWizard& wizard : Modes()) {
        SCOPED_TRACE(testing::Message() << "mode " << wizard.nMode);
        // Pages shown out of order may report an empty working entry.
        MessageBoxRecorder boxes;
        CRegistSheet sheet(wizard.nMode, NULL);
        WizardDriver driver(&sheet);
        ASSERT_TRUE(driver.Start());
        EXPECT_EQ(static_cast<CWnd*>(&sheet), CWnd::FromHandle(driver.Sheet()));
        ASSERT_EQ(static_cast<int>(wizard.pages.size()), sheet.GetPageCount());
        EXPECT_EQ(0, driver.CurrentIndex());
        for (size_t i = 0; i < wizard.pages.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "page " << i);
            PropSheet_SetCurSel(driver.Sheet(), NULL, static_cast<int>(i));
            PumpMessages();
            ASSERT_EQ(static_cast<int>(i), driver.CurrentIndex());
            EXPECT_EQ(sheet.GetPage(static_cast<int>(i)), driver.CurrentPageObject());
            EXPECT_EQ(wizard.pages[i].nTemplate, driver.CurrentTemplate());
            EXPECT_EQ(std::string(wizard.pages[i].pszCaption), driver.Title());
            // Nothing on the page is cut off: its area holds its template.
            RECT need = { 0, 0, wizard.pages[i].nTemplate == IDD_EDITPAGE ? 278 : 285, 183 };
            MapDialogRect(driver.CurrentPage(), &need);
            RECT client;
            GetClientRect(driver.CurrentPage(), &client);
            EXPECT_GE(client.right, need.right);
            EXPECT_GE(client.bottom, need.bottom);
        }
        // The wizard's own buttons; no Apply button, no tabs.
        EXPECT_TRUE(driver.Button(kWizNextId) != NULL);
        EXPECT_TRUE(GetDlgItem(driver.Sheet(), 0x3021) == NULL || !IsWindowVisible(GetDlgItem(driver.Sheet(), 0x3021)));
    }
}

// Allocations made once per process (the program's title for message boxes)
// must not count as a sheet's.
void WarmUp()
{
    AfxGetAppName();
    for (const ExpectedWizard& wizard : Modes())
        CRegistSheet sheet(wizard.nMode, NULL);
}

void AddEntries(CRegistSheet& sheet, int nCount)
{
    for (int i = 0; i < nCount; ++i) {
        CRegistEntry* pEntry = new CRegistEntry;
        pEntry->m_strDispName.Format("entry %d with a name long enough to leave the small buffer", i);
        pEntry->m_strProgram = "C:\\Tools\\App.exe";
        sheet.m_entryArray.Add(pEntry);
    }
}

TEST(SheetOwnershipTest, SheetNeverShownFreesPagesAndEntries)
{
    WarmUp();
    for (const ExpectedWizard& wizard : Modes()) {
        SCOPED_TRACE(testing::Message() << "mode " << wizard.nMode);
        LONG nBefore = g_nLiveAllocations;
        {
            CRegistSheet sheet(wizard.nMode, NULL);
            AddEntries(sheet, 3);
            sheet.m_entryArray.Add(NULL);
            AddEntries(sheet, 1);
            sheet.m_entry.m_strDispName = "a working entry with a long display name, not in the small buffer";
            EXPECT_GT(g_nLiveAllocations, nBefore + 5);
        }
        EXPECT_EQ(nBefore, g_nLiveAllocations);
    }
}

TEST(SheetOwnershipTest, SheetShownAndDestroyedWithItsWindowFreesEverything)
{
    WarmUp();
    for (const ExpectedWizard& wizard : Modes()) {
        SCOPED_TRACE(testing::Message() << "mode " << wizard.nMode);
        LONG nBefore = g_nLiveAllocations;
        HWND hSheet = NULL;
        {
            MessageBoxRecorder boxes;
            CRegistSheet* pSheet = new CRegistSheet(wizard.nMode, NULL);
            ASSERT_TRUE(pSheet->Create());
            PumpMessages();
            hSheet = pSheet->m_hWnd;
            ASSERT_TRUE(IsWindow(hSheet));
            AddEntries(*pSheet, 2);
            // The sheet's window is still open: the destructor ends it first.
            delete pSheet;
            PumpMessages();
            EXPECT_FALSE(IsWindow(hSheet));
        }
        EXPECT_EQ(nBefore, g_nLiveAllocations);
    }
}

TEST(SheetOwnershipTest, ClearEntriesEmptiesTheListAndSkipsNullElements)
{
    WarmUp();
    CRegistSheet sheet(RegistDelete, NULL);
    LONG nEmpty = g_nLiveAllocations;

    sheet.ClearEntries();
    EXPECT_EQ(0, sheet.m_entryArray.GetSize());
    EXPECT_EQ(nEmpty, g_nLiveAllocations);

    sheet.m_entryArray.Add(NULL);
    AddEntries(sheet, 2);
    sheet.m_entryArray.Add(NULL);
    AddEntries(sheet, 2);
    EXPECT_EQ(6, sheet.m_entryArray.GetSize());
    sheet.ClearEntries();
    EXPECT_EQ(0, sheet.m_entryArray.GetSize());
    EXPECT_EQ(nEmpty, g_nLiveAllocations);

    // A second call finds nothing left to free.
    sheet.ClearEntries();
    EXPECT_EQ(0, sheet.m_entryArray.GetSize());
    EXPECT_EQ(nEmpty, g_nLiveAllocations);

    // Listing again after clearing does not keep the earlier records.
    AddEntries(sheet, 3);
    sheet.ClearEntries();
    EXPECT_EQ(nEmpty, g_nLiveAllocations);
    AddEntries(sheet, 3);
    EXPECT_EQ(3, sheet.m_entryArray.GetSize());
}

}  // namespace
