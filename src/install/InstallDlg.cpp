// The install dialog itself: its controls, its place on the screen and its
// background. The installation steps it carries live with their subsystems.
#include "install/InstallDlg.h"

#include "app/Messages.h"
#include "framework/Gdi.h"
#include "framework/ResString.h"
#include "install/DownloadPlan.h"
#include "ui/SkinImage.h"

namespace {

const int DIALOG_WIDTH = 520;
const int DIALOG_HEIGHT = 314;
const int PANEL_X = 11;
const int PANEL_Y = 115;
const int PANEL_WIDTH = 438;
const int PANEL_HEIGHT = 171;
const COLORREF WHITE = RGB(255, 255, 255);

// Copies cx x cy of an image onto white at (x, y) of hdc in one transfer; an
// empty image leaves the area white.
void BlitOnWhite(HDC hdc, int x, int y, int cx, int cy, HBITMAP hImage)
{
    MemoryDC mem(hdc);
    GdiObject<HBITMAP> canvas(::CreateCompatibleBitmap(hdc, cx, cy));
    SelectGuard sel(mem, canvas);
    GdiObject<HBRUSH> white(::CreateSolidBrush(WHITE));
    const RECT all{0, 0, cx, cy};
    ::FillRect(mem, &all, white);
    BlitBitmap(mem, 0, 0, cx, cy, hImage);
    ::BitBlt(hdc, x, y, cx, cy, mem, 0, 0, SRCCOPY);
}

} // namespace

CInstallDlg::CInstallDlg(CWnd* pParent)
    : CDialog(IDD_INSTALL_DIALOG, pParent), m_hStop(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_hWorkerIdle(::CreateEventA(nullptr, TRUE, TRUE, nullptr))
{
}

CInstallDlg::~CInstallDlg()
{
    // A worker still running (the wait for it is bounded) keeps its events:
    // the process is ending and takes them along.
    if (IsWorkerRunning())
        return;
    for (HANDLE h : {m_hStop, m_hWorkerIdle})
        if (h)
            ::CloseHandle(h);
}

int CInstallDlg::InstallMessageBox(const char* pszText, UINT nType) const
{
    HWND hOwner = m_hWnd;
    if (!::IsWindowVisible(m_hWnd) && ::GetWindow(m_hWnd, GW_OWNER))
        hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    return ::MessageBoxA(hOwner, pszText, LoadResString(IDS_PRODUCT_NAME), nType);
}

void CInstallDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PERCENT, m_lblPercent);
    DDX_Control(pDX, IDC_PROGRESS, m_ctlProgress);
}

BOOL CInstallDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    MoveWindow((::GetSystemMetrics(SM_CXSCREEN) - DIALOG_WIDTH) / 2,
               (::GetSystemMetrics(SM_CYSCREEN) - DIALOG_HEIGHT) / 2, DIALOG_WIDTH, DIALOG_HEIGHT);
    SetupControls();
    return TRUE;
}

void CInstallDlg::SetupControls()
{
    m_lblPercent.MoveWindow(168, 266, 32, 15);
    m_lblPercent.SetTextStyle("굴림", 12, RGB(70, 70, 70), WHITE,
                              CSkinLabel::STYLE_BOLD | 64); // 64 is a leftover bit without meaning
    m_lblPercent.SetText("0%");

    m_ctlProgress.MoveWindow(108, 234, 382, 15);
    m_ctlProgress.m_nNumBlocks = 1;
    m_ctlProgress.RecalcLayout();
    m_ctlProgress.m_nInterval = 250;
    m_ctlProgress.m_nLower = 0;
    m_ctlProgress.m_nUpper = PROGRESS_UNITS;
    m_ctlProgress.m_crBlock = RGB(222, 233, 243);
    m_ctlProgress.m_crHighlight = RGB(109, 204, 48);
    m_ctlProgress.m_crBack = WHITE;
    m_ctlProgress.m_crBlockBorder = RGB(50, 90, 135);
    m_ctlProgress.m_nPos = 0;
    m_ctlProgress.Invalidate();
    m_ctlProgress.SetMode(CBusyProgressCtrl::MODE_PROGRESS);
    m_ctlProgress.SetAnimType(CBusyProgressCtrl::ANIM_WRAP_FORWARD);
    m_ctlProgress.SetBusyFill(CBusyProgressCtrl::FILL_GROWING);

    // Shown by the installation once the sign-in has succeeded.
    m_lblPercent.ShowWindow(SW_HIDE);
    m_ctlProgress.ShowWindow(SW_HIDE);
}

BOOL CInstallDlg::OnEraseBkgnd(HDC hdc)
{
    BlitOnWhite(hdc, 0, 0, DIALOG_WIDTH, DIALOG_HEIGHT, g_skinImages[SKIN_INSTALL_BG].m_bitmap);
    const int panel = m_bSignedIn ? SKIN_PANEL_SIGNED : SKIN_PANEL_WAIT;
    BlitOnWhite(hdc, PANEL_X, PANEL_Y, PANEL_WIDTH, PANEL_HEIGHT, g_skinImages[panel].m_bitmap);
    return TRUE;
}

LRESULT CInstallDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_START_DOWNLOAD:
        return OnStartDownload(wParam, lParam);
    case WM_STEP_DONE:
        OnStepDone(static_cast<WorkerStep>(wParam), lParam != 0);
        return 1;
    default:
        return CDialog::WindowProc(message, wParam, lParam);
    }
}
