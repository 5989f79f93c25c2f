#include "app/SetupDlg.h"

#include "app/AboutDlg.h"
#include "app/JoinWebDlg.h"
#include "app/Messages.h"
#include "framework/Gdi.h"
#include "install/InstallDlg.h"
#include "res/FixedTexts.h"
#include "ui/SkinImage.h"

static_assert((IDM_ABOUTBOX & 0xFFF0) == IDM_ABOUTBOX && IDM_ABOUTBOX < 0xF000,
              "a system-menu command is a multiple of 16 below the system's own");

CSetupDlg::CSetupDlg(CWnd* pParent)
    : CDialog(IDD_SETUP_DIALOG, pParent), m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME)))
{
}

CSetupDlg::~CSetupDlg() = default;

void CSetupDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BTN_MINIMIZE, m_btnMinimize);
    DDX_Control(pDX, IDC_BTN_CLOSE, m_btnClose);
}

BOOL CSetupDlg::PreTranslateMessage(MSG* pMsg)
{
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CString aboutText;
    aboutText.LoadString(IDS_ABOUTBOX);
    if (HMENU hSysMenu = ::GetSystemMenu(m_hWnd, FALSE); hSysMenu && !aboutText.IsEmpty()) {
        ::AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(hSysMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    // The taskbar button's restore/minimise/close menu.
    ModifyStyle(0, WS_SYSMENU | WS_MINIMIZEBOX);
    SetWindowText(TEXT_MAIN_WINDOW_TITLE);

    LoadSkinImages();
    CreateChildDialogs();
    ShapeAndPlaceWindow();
    // The top-most install dialog is created once this window is top-most
    // itself: an owner raised to top-most after its top-most owned window can
    // be left below it (Wine does), and the order changes nothing else.
    if (!m_pInstallDlg)
        CreateInstallDialog();
    SetTimer(TIMER_SHOW_WINDOW, SHOW_WINDOW_DELAY_MS);
    return TRUE;
}

void CSetupDlg::CreateChildDialogs()
{
    m_btnMinimize.MoveWindow(MINIMIZE_LEFT, TITLE_BUTTON_TOP, TITLE_BUTTON_WIDTH, TITLE_BUTTON_HEIGHT);
    m_btnMinimize.SetImages(&g_skinImages[SKIN_MIN_NORMAL].m_bitmap, &g_skinImages[SKIN_MIN_PRESSED].m_bitmap,
                            &g_skinImages[SKIN_MIN_HOVER].m_bitmap, nullptr, 0, 0, 0);
    m_btnClose.MoveWindow(CLOSE_LEFT, TITLE_BUTTON_TOP, TITLE_BUTTON_WIDTH, TITLE_BUTTON_HEIGHT);
    m_btnClose.SetImages(&g_skinImages[SKIN_CLOSE_NORMAL].m_bitmap, &g_skinImages[SKIN_CLOSE_PRESSED].m_bitmap,
                         &g_skinImages[SKIN_CLOSE_HOVER].m_bitmap, nullptr, 0, 0, 0);
    if (!m_pJoinWebDlg) {
        // Lives as long as the process; its window goes with ours.
        m_pJoinWebDlg = new CJoinWebDlg(nullptr);
        m_pJoinWebDlg->Create(IDD_JOINWEB_DIALOG, this);
        m_pJoinWebDlg->MoveWindow(0, PAGE_TOP, MAIN_WIDTH, PAGE_HEIGHT);
        m_pJoinWebDlg->ShowWindow(SW_SHOW);
    }
}

void CSetupDlg::CreateInstallDialog()
{
    // Owned by the main window and hidden: its template has no visible style.
    m_pInstallDlg = new CInstallDlg(this);
    m_pInstallDlg->Create(IDD_INSTALL_DIALOG, this);
}

void CSetupDlg::ShapeAndPlaceWindow()
{
    SetWindowRgn(::CreateRoundRectRgn(0, 0, MAIN_WIDTH + 1, MAIN_HEIGHT + 1, 11, 11), TRUE);
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - MAIN_WIDTH) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - CENTRING_HEIGHT) / 2;
    MoveWindow(x, y, MAIN_WIDTH, MAIN_HEIGHT);
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL CSetupDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDC_BTN_MINIMIZE:
        ShowWindow(SW_MINIMIZE);
        return TRUE;
    case IDC_BTN_CLOSE:
        OnOK();
        return TRUE;
    default:
        return CDialog::OnCommand(wParam, lParam);
    }
}

// Bounded: a worker blocked on a silent server cannot see the request, and
// the process ending takes it along. Its files are only ever stored whole.
const DWORD WORKER_STOP_WAIT_MS = 1500;

void CSetupDlg::StopInstallation()
{
    if (m_pInstallDlg)
        m_pInstallDlg->StopWorker(WORKER_STOP_WAIT_MS);
}

void CSetupDlg::OnOK()
{
    StopInstallation();
    CDialog::OnOK();
}

void CSetupDlg::OnCancel()
{
    StopInstallation();
    CDialog::OnCancel();
}

BOOL CSetupDlg::OnEraseBkgnd(HDC hdc)
{
    MemoryDC mem(hdc);
    GdiObject<HBITMAP> canvas(::CreateCompatibleBitmap(hdc, MAIN_WIDTH, MAIN_HEIGHT));
    SelectGuard sel(mem, canvas);
    GdiObject<HBRUSH> white(::CreateSolidBrush(RGB(255, 255, 255)));
    RECT all{0, 0, MAIN_WIDTH, MAIN_HEIGHT};
    ::FillRect(mem, &all, white);
    BlitBitmap(mem, -1, -1, MAIN_WIDTH, HEADER_HEIGHT, g_skinImages[SKIN_HEADER].m_bitmap);
    BlitBitmap(mem, -1, FOOTER_TOP, MAIN_WIDTH, FOOTER_HEIGHT, g_skinImages[SKIN_FOOTER].m_bitmap);
    ::BitBlt(hdc, 0, 0, MAIN_WIDTH, MAIN_HEIGHT, mem, 0, 0, SRCCOPY);
    return TRUE;
}

void CSetupDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    PaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)));
    RECT rc;
    GetClientRect(&rc);
    const int x = (rc.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rc.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
}

void CSetupDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (m_pInstallDlg)
        m_pInstallDlg->ShowWindow(SW_HIDE);
    if (nIDEvent == TIMER_SHOW_WINDOW) {
        KillTimer(TIMER_SHOW_WINDOW);
        m_bShowAllowed = 1;
        ShowWindow(SW_SHOW);
    }
}

LRESULT CSetupDlg::OnSetupDone(WPARAM, LPARAM)
{
    OnOK();
    return 1;
}

LRESULT CSetupDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            CAboutDlg about;
            about.DoModal();
            return 0;
        }
        break;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon);
    case WM_LBUTTONDOWN:
        // A press anywhere on the window's own surface drags it.
        SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(LOWORD(lParam), HIWORD(lParam)));
        break;
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_SETUP_START:
        return OnSetupStart(wParam, lParam);
    case WM_SETUP_DONE:
        return OnSetupDone(wParam, lParam);
    case WM_TIMER:
        OnTimer(wParam);
        break;
    case WM_WINDOWPOSCHANGING: {
        auto* pPos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (m_bShowAllowed)
            pPos->flags |= SWP_SHOWWINDOW;
        else
            pPos->flags &= ~SWP_SHOWWINDOW;
        break;
    }
    default:
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

// The start of one installation; the install dialog runs its sequence
// (src/install/InstallSequence.cpp).
LRESULT CSetupDlg::OnSetupStart(WPARAM, LPARAM)
{
    if (!m_pInstallDlg)
        CreateInstallDialog();
    m_pInstallDlg->StartInstallation();
    return 1;
}
