// The order of one installation, from the main dialog's WM_SETUP_START on:
// the checks, the partner library fetched and asked, the sign-in, the plan,
// the information files around the join, and the download. Every step that
// waits on the network runs on the worker; its result comes back as
// WM_STEP_DONE and the sequence goes on from there on this thread.
#include "app/Messages.h"
#include "framework/ResString.h"
#include "framework/Thread.h"
#include "install/InstallDlg.h"
#include "install/InstallPaths.h"
#include "res/FixedTexts.h"

#include <direct.h>

void CInstallDlg::StartInstallation()
{
    // A second start queued behind this one (a double click), or handed on
    // by the loop of one of its message boxes, would sign in, join and
    // download a second time.
    if (!BeginInstallation())
        return;
    ShowWindow(SW_SHOW);
    if (!CheckSystem() || !CheckPartnerCookie()) {
        ShowWindow(SW_HIDE);
        EndInstallation();
        return;
    }
    StartPartnerCheck();
}

void CInstallDlg::StartPartnerCheck()
{
    // A library loaded by an earlier start cannot be replaced: it is asked
    // again without a new fetch.
    if (m_hPartnerLib)
        AfterPartnerLibrary(TRUE);
    else
        StartWorker(STEP_PARTNER_LIBRARY);
}

void CInstallDlg::AfterPartnerLibrary(BOOL bFetched)
{
    if (!bFetched) {
        InstallMessageBox(m_strPartnerLibraryFailure, MB_ICONSTOP);
    } else if (CheckConflictingFilter()) {
        RunInstallation();
        return;
    }
    ShowWindow(SW_HIDE);
    EndInstallation();
}

void CInstallDlg::RunInstallation()
{
    m_strUserId = m_strCookieUserId.IsEmpty() ? CString("none") : m_strCookieUserId;
    StartWorker(STEP_SIGN_IN);
}

void CInstallDlg::AfterSignIn(BOOL bSignedIn)
{
    if (!bSignedIn) {
        // The dialog stays up with its first panel: the visitor sees where it stopped.
        MessageBox(LoadResString(IDS_AUTH_FAILED), LoadResString(IDS_PRODUCT_NAME), MB_ICONSTOP);
        EndInstallation();
        return;
    }
    m_bSignedIn = 1;
    m_ctlProgress.ShowWindow(SW_SHOW);
    m_lblPercent.ShowWindow(SW_SHOW);
    Invalidate(TRUE);
    if (!BuildDownloadPlan() || !PrepareInstallFiles())
        CannotCreateFiles();
}

BOOL CInstallDlg::PrepareInstallFiles()
{
    CInstallPaths paths;
    if (IsNtOsKind(OsKind))
        _mkdir(paths.m_strDownloadDir); // an existing folder is fine
    if (!WritePartnerInfo())
        return FALSE;
    StartWorker(STEP_JOIN);
    return TRUE;
}

void CInstallDlg::AfterJoin(BOOL bJoined)
{
    if (!bJoined || !WriteBasicInfo()) {
        CannotCreateFiles();
        return;
    }
    // Posted, not sent: the download starts only after this sequence has returned.
    PostMessage(WM_START_DOWNLOAD);
}

void CInstallDlg::CannotCreateFiles()
{
    // Still running while the visitor reads this: a start meanwhile is ignored.
    InstallMessageBox(TEXT_CANNOT_CREATE_FILES, MB_ICONSTOP);
    OnOK();
    EndInstallation();
}

LRESULT CInstallDlg::OnStartDownload(WPARAM, LPARAM)
{
    StartWorker(STEP_DOWNLOAD);
    return 1;
}

void CInstallDlg::OnStepDone(WorkerStep step, BOOL bOk)
{
    // Only the result the sequence waits for; none once the assistant is closing.
    if (step != m_step || IsStopping())
        return;
    m_step = STEP_NONE;
    switch (step) {
    case STEP_PARTNER_LIBRARY:
        AfterPartnerLibrary(bOk);
        return;
    case STEP_SIGN_IN:
        AfterSignIn(bOk);
        return;
    case STEP_JOIN:
        AfterJoin(bOk);
        return;
    default:
        // Ended here rather than on the worker: a start queued before this
        // message (and before the worker's own hiding of this dialog) still
        // finds the installation running and is ignored.
        EndInstallation();
        return;
    }
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
    m_bLaunchSettled = true;
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

UINT CInstallDlg::Worker(LPVOID pParam)
{
    auto* pDlg = static_cast<CInstallDlg*>(pParam);
    const WorkerStep step = pDlg->m_step;
    BOOL bOk = FALSE;
    switch (step) {
    case STEP_PARTNER_LIBRARY:
        bOk = pDlg->DownloadPartnerLibrary();
        break;
    case STEP_SIGN_IN:
        bOk = pDlg->SignIn();
        break;
    case STEP_JOIN:
        bOk = pDlg->SignUp();
        break;
    default:
        bOk = DownloadThreadProc(pDlg);
        break;
    }
    // Idle before the result is posted: the step it lets the sequence start
    // finds no worker in its way. The dialog is not touched afterwards.
    const HWND hDlg = pDlg->m_hWnd;
    ::SetEvent(pDlg->m_hWorkerIdle);
    ::PostMessageA(hDlg, WM_STEP_DONE, step, bOk);
    return 0;
}

void CInstallDlg::StartWorker(WorkerStep step)
{
    // One worker at a time, and none once the assistant is closing.
    if (IsWorkerRunning() || IsStopping())
        return;
    m_step = step;
    ::ResetEvent(m_hWorkerIdle);
    if (AfxBeginThread(&CInstallDlg::Worker, this))
        return;
    ::SetEvent(m_hWorkerIdle);
    m_step = STEP_NONE;
    CannotCreateFiles();
}
