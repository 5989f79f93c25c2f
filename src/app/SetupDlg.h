// CSetupDlg: the skinned, borderless main window. It stays hidden for its
// first eight seconds while the sign-up page loads, hosts the page between
// its header and footer bands, and owns the install dialog.
#pragma once

#include "Dialog.h"
#include "SkinButton.h"
#include "resource.h"

class CJoinWebDlg;
class CInstallDlg;

const UINT_PTR TIMER_SHOW_WINDOW = 200;
const UINT SHOW_WINDOW_DELAY_MS = 8000;
const int MAIN_WIDTH = 752;
const int MAIN_HEIGHT = 801;

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
