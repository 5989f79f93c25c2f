// CSetupDlg: the skinned, borderless main window. It stays hidden for its
// first eight seconds while the sign-up page loads, hosts the page between
// its header and footer bands, and owns the install dialog.
#pragma once

#include "framework/Dialog.h"
#include "res/resource.h"
#include "ui/SkinButton.h"

class CJoinWebDlg;
class CInstallDlg;

const UINT_PTR TIMER_SHOW_WINDOW = 200;
const UINT SHOW_WINDOW_DELAY_MS = 8000;

// The main window's layout in pixels: the header band, the sign-up page below
// it (reaching one row into the footer band), the footer band, and the two
// title buttons in the header.
const int MAIN_WIDTH = 752;
const int MAIN_HEIGHT = 801;
const int HEADER_HEIGHT = 145;
const int PAGE_TOP = HEADER_HEIGHT;
const int PAGE_HEIGHT = 591;
const int FOOTER_TOP = 735;
const int FOOTER_HEIGHT = MAIN_HEIGHT - FOOTER_TOP;
const int MINIMIZE_LEFT = 686;
const int CLOSE_LEFT = 718;
const int TITLE_BUTTON_TOP = 5;
const int TITLE_BUTTON_WIDTH = 29;
const int TITLE_BUTTON_HEIGHT = 16;
// The window is centred as if it were this tall, so that it sits a little low.
const int CENTRING_HEIGHT = 379;

class CSetupDlg : public CDialog {
public:
    explicit CSetupDlg(CWnd* pParent = nullptr);
    ~CSetupDlg() override;

    CJoinWebDlg* m_pJoinWebDlg = nullptr;
    CInstallDlg* m_pInstallDlg = nullptr;
    BOOL m_bShowAllowed = 0;
    CSkinButton m_btnMinimize;
    CSkinButton m_btnClose;
    HICON m_hIcon;

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Every way of ending (the close button, the taskbar, setup started)
    // stops the download worker first.
    void OnOK() override;
    void OnCancel() override;
    void StopInstallation();

    void CreateChildDialogs();
    void CreateInstallDialog();
    void ShapeAndPlaceWindow();
    BOOL OnEraseBkgnd(HDC hdc);
    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);
    // The installation sequence (install/InstallSequence.cpp).
    LRESULT OnSetupStart(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetupDone(WPARAM wParam, LPARAM lParam);
};
