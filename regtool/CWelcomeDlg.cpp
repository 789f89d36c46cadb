#include "CWelcomeDlg.h"
#include "CPaintDC.h"
#include "CRegistSheet.h"
#include "CWinApp.h"
#include "PathUtil.h"
#include "resource.h"

CWelcomeDlg::CWelcomeDlg(CWnd* pParentWnd)
    : CDialog(IDD_WELCOME, pParentWnd), m_hIcon(NULL), m_hSmallIcon(NULL), m_hPicture(NULL)
{
    // LoadIcon gives the system's large size; the caption and the task bar
    // take the small one, loaded at its own size rather than shrunk from it.
    CWinApp* pApp = AfxGetApp();
    m_hIcon = pApp ? pApp->LoadIcon(IDR_MAINFRAME)
                   : ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_hSmallIcon = static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

CWelcomeDlg::~CWelcomeDlg()
{
    if (m_hSmallIcon)
        DestroyIcon(m_hSmallIcon);
    if (m_hPicture)
        DeleteObject(m_hPicture);
}

void CWelcomeDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

BOOL CWelcomeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hSmallIcon ? m_hSmallIcon : m_hIcon, FALSE);
    FitPicture();
    ShowPackageNotice();
    return TRUE;
}

void CWelcomeDlg::ShowPackageNotice()
{
    // The 32-bit tool works on 64-bit Windows, but there it sees shortcuts and
    // system folders through the 32-bit view: the 64-bit package is the right
    // one. A line of the dialog, not a box: it is seen at every start and
    // blocks nothing.
    if (RunsUnderWow64())
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_WELCOME_WOW64), SW_SHOWNA);
}

// The part of an image of that size that, scaled with its aspect kept, covers
// a place of that size: the whole image when the shapes agree.
static RECT CoverSource(int nImageWidth, int nImageHeight, int nPlaceWidth, int nPlaceHeight)
{
    // The scale that covers the place is the larger of the two; the part of
    // the picture that is cut off is split evenly between the two sides.
    RECT source = { 0, 0, nImageWidth, nImageHeight };
    if (nPlaceWidth <= 0 || nPlaceHeight <= 0)
        return source;
    if (static_cast<LONGLONG>(nPlaceWidth) * nImageHeight > static_cast<LONGLONG>(nPlaceHeight) * nImageWidth) {
        int nHeight = MulDiv(nImageWidth, nPlaceHeight, nPlaceWidth);
        source.top = (nImageHeight - nHeight) / 2;
        source.bottom = source.top + nHeight;
    } else {
        int nWidth = MulDiv(nImageHeight, nPlaceWidth, nPlaceHeight);
        source.left = (nImageWidth - nWidth) / 2;
        source.right = source.left + nWidth;
    }
    return source;
}

// The picture scaled to cover cx by cy pixels, as a 24-bit bitmap (no alpha,
// so the static control shows it as it is and keeps no copy); NULL on failure.
static HBITMAP CoverBitmap(HBITMAP hImage, int cx, int cy)
{
    BITMAP image;
    if (!GetObjectA(hImage, sizeof(image), &image))
        return NULL;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pBits = NULL;
    HBITMAP hFitted = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &pBits, NULL, 0);
    HDC hSource = CreateCompatibleDC(NULL);
    HDC hTarget = CreateCompatibleDC(NULL);
    BOOL bDrawn = FALSE;
    if (hFitted && hSource && hTarget) {
        HGDIOBJ hOldSource = SelectObject(hSource, hImage);
        HGDIOBJ hOldTarget = SelectObject(hTarget, hFitted);
        // Halftone averages the pixels it merges or spreads; the default drops
        // or repeats whole rows and columns.
        SetStretchBltMode(hTarget, HALFTONE);
        SetBrushOrgEx(hTarget, 0, 0, NULL);
        RECT src = CoverSource(image.bmWidth, image.bmHeight, cx, cy);
        bDrawn = StretchBlt(hTarget, 0, 0, cx, cy, hSource, src.left, src.top,
                            src.right - src.left, src.bottom - src.top, SRCCOPY);
        SelectObject(hSource, hOldSource);
        SelectObject(hTarget, hOldTarget);
    }
    if (hSource)
        DeleteDC(hSource);
    if (hTarget)
        DeleteDC(hTarget);
    if (!bDrawn && hFitted) {
        DeleteObject(hFitted);
        hFitted = NULL;
    }
    return hFitted;
}

void CWelcomeDlg::FitPicture()
{
    // The picture's place grows with the dialog font at higher DPI, the
    // picture itself does not: give the control a copy that fills its place.
    HWND hControl = ::GetDlgItem(m_hWnd, IDC_PLANET);
    RECT place;
    if (!hControl || !::GetClientRect(hControl, &place) || place.right <= 0 || place.bottom <= 0)
        return;
    HBITMAP hImage = static_cast<HBITMAP>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_PLANET),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!hImage)
        return;
    HBITMAP hFitted = CoverBitmap(hImage, place.right, place.bottom);
    DeleteObject(hImage);
    if (!hFitted)
        return;   // the template's own picture stays
    HBITMAP hOld = reinterpret_cast<HBITMAP>(::SendMessageA(hControl, STM_SETIMAGE, IMAGE_BITMAP,
                                                             reinterpret_cast<LPARAM>(hFitted)));
    // The bitmap the control loaded from the template is no longer shown.
    if (hOld && hOld != hFitted)
        DeleteObject(hOld);
    if (m_hPicture)
        DeleteObject(m_hPicture);
    m_hPicture = hFitted;
}

BOOL CWelcomeDlg::OnCommand(UINT nID, UINT nCode, HWND hControl)
{
    if (nCode == BN_CLICKED) {
        switch (nID) {
        case IDC_BUTTON_DELETE:
            OnButtonDelete();
            return TRUE;
        case IDC_BUTTON_EDIT:
            OnButtonEdit();
            return TRUE;
        case IDC_BUTTON_EXIT:
            OnButtonExit();
            return TRUE;
        case IDC_BUTTON_HELP:
            OnButtonHelp();
            return TRUE;
        case IDC_BUTTON_NEW:
            OnButtonNew();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(nID, nCode, hControl);
}

BOOL CWelcomeDlg::OnPaint()
{
    if (!IsIconic())
        return FALSE;
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
    return TRUE;
}

HCURSOR CWelcomeDlg::OnQueryDragIcon()
{
    return reinterpret_cast<HCURSOR>(m_hIcon);
}

void CWelcomeDlg::RunWizard(int nMode)
{
    ShowWindow(SW_SHOWMINIMIZED);
    {
        // A fresh sheet per run: nothing of an earlier run carries over.
        CRegistSheet sheet(nMode, this);
        sheet.DoModal();
    }
    ShowWindow(SW_SHOWNORMAL);
}

void CWelcomeDlg::OnButtonNew()
{
    RunWizard(RegistNew);
}

void CWelcomeDlg::OnButtonEdit()
{
    RunWizard(RegistEdit);
}

void CWelcomeDlg::OnButtonDelete()
{
    RunWizard(RegistDelete);
}

void CWelcomeDlg::OnButtonHelp()
{
    // By its full path: the shell looks for a bare name in the current folder
    // too, and would open another folder's guide when this one is missing. A
    // missing document is not reported.
    CString folder = GetModuleDir();
    CString guide = folder + "TavroHelp.Html";
    if (folder.IsEmpty() || guide.GetLength() >= MAX_PATH)
        return;
    ShellExecuteA(m_hWnd, "open", guide, "", folder, SW_SHOWNORMAL);
}

void CWelcomeDlg::OnButtonExit()
{
    EndDialog(0);
}
