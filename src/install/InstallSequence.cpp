// The order of one installation, after the main dialog's handler of
// WM_SETUP_START (CSetupDlg::OnSetupStart) has run the checks: the install
// dialog signs in, plans the downloads, leaves the information files and
// starts the download worker, one installation at a time.
#include "app/Messages.h"
#include "framework/ResString.h"
#include "install/InstallDlg.h"
#include "install/InstallPaths.h"
#include "res/FixedTexts.h"

#include <direct.h>

BOOL CInstallDlg::RunInstallation()
{
    m_strUserId = m_strCookieUserId.IsEmpty() ? CString("none") : m_strCookieUserId;
    if (!SignIn()) {
        // The dialog stays up with its first panel: the visitor sees where it stopped.
        MessageBox(LoadResString(IDS_AUTH_FAILED), LoadResString(IDS_PRODUCT_NAME), MB_ICONSTOP);
        return FALSE;
    }
    m_bSignedIn = 1;
    m_ctlProgress.ShowWindow(SW_SHOW);
    m_lblPercent.ShowWindow(SW_SHOW);
    Invalidate(TRUE);

    if (!BuildDownloadPlan() || !PrepareInstallFiles()) {
        MessageBox(TEXT_CANNOT_CREATE_FILES, LoadResString(IDS_PRODUCT_NAME), MB_ICONSTOP);
        OnOK();
        return FALSE;
    }
    return TRUE;
}

BOOL CInstallDlg::PrepareInstallFiles()
{
    CInstallPaths paths;
    if (IsNtOsKind(OsKind))
        _mkdir(paths.m_strDownloadDir); // an existing folder is fine

    if (!WritePartnerInfo() || !SignUp() || !WriteBasicInfo())
        return FALSE;
    // Posted, not sent: the worker starts only after this sequence has returned.
    PostMessage(WM_START_DOWNLOAD);
    return TRUE;
}

bool CInstallDlg::BeginInstallation()
{
    if (m_bInstalling || IsStopping())
        return false;
    m_bInstalling = true;
    return true;
}

bool CInstallDlg::IsWorkerRunning() const
{
    return ::WaitForSingleObject(m_hWorkerIdle, 0) == WAIT_TIMEOUT;
}

bool CInstallDlg::IsStopping() const
{
    return ::WaitForSingleObject(m_hStop, 0) == WAIT_OBJECT_0;
}

bool CInstallDlg::StopWorker(DWORD ms)
{
    ::SetEvent(m_hStop);
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD spent = ::GetTickCount() - start;
        // The worker's boxes and progress send to this thread's windows.
        const DWORD r = ::MsgWaitForMultipleObjects(1, &m_hWorkerIdle, FALSE, spent < ms ? ms - spent : 0,
                                                    QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1)
            return r == WAIT_OBJECT_0;
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD); // delivers what was sent
    }
}

UINT CInstallDlg::DownloadWorker(LPVOID pParam)
{
    auto* pDlg = static_cast<CInstallDlg*>(pParam);
    const UINT result = DownloadThreadProc(pDlg);
    ::PostMessageA(pDlg->m_hWnd, WM_WORKER_ENDED, 0, 0);
    ::SetEvent(pDlg->m_hWorkerIdle);
    return result;
}

LRESULT CInstallDlg::OnStartDownload(WPARAM, LPARAM)
{
    // One worker at a time, and none once the assistant is closing.
    if (IsWorkerRunning() || IsStopping())
        return 1;
    ::ResetEvent(m_hWorkerIdle);
    if (!AfxBeginThread(&CInstallDlg::DownloadWorker, this)) {
        ::SetEvent(m_hWorkerIdle);
        // Still running while the visitor reads this: a start meanwhile is ignored.
        InstallMessageBox(TEXT_CANNOT_CREATE_FILES, MB_ICONSTOP);
        OnOK();
        EndInstallation();
    }
    return 1;
}
