#include "app/SetupApp.h"

#include "app/SetupDlg.h"

BOOL CSetupApp::InitInstance()
{
    AfxEnableControlContainer(); // the sign-up page is an ActiveX control

    CSetupDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of our own: the process ends with the main dialog.
    return FALSE;
}
