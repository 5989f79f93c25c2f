// The order of one installation: the main dialog's handler of WM_SETUP_START
// runs the checks, then the install dialog signs in, plans the downloads,
// leaves the information files and starts the download worker.
#include "FixedTexts.h"
#include "InstallDlg.h"
#include "InstallPaths.h"
#include "Messages.h"
#include "ResString.h"
#include "SetupDlg.h"

#include <direct.h>

LRESULT CSetupDlg::OnSetupStart(WPARAM, LPARAM)
{
    // A second start while the first one's files are still being downloaded
    // would rebuild the list the worker is walking.
    if (m_pInstallDlg && m_pInstallDlg->IsDownloading())
        return 1;
    if (!m_pInstallDlg)
        CreateInstallDialog();
    m_pInstallDlg->ShowWindow(SW_SHOW);
    if (!m_pInstallDlg->CheckSystem() || !m_pInstallDlg->CheckPartner()) {
        m_pInstallDlg->ShowWindow(SW_HIDE);
        return 1;
    }
    m_pInstallDlg->RunInstallation();
    return 1;
}

void CInstallDlg::RunInstallation()
{
    m_strUserId = m_strCookieUserId.IsEmpty() ? CString("none") : m_strCookieUserId;
    if (!SignIn()) {
        // The dialog stays up with its first panel: the visitor sees where it stopped.
        MessageBox(LoadResString(IDS_AUTH_FAILED), LoadResString(IDS_PRODUCT_NAME), MB_ICONSTOP);
        return;
    }
    m_bSignedIn = 1;
    m_ctlProgress.ShowWindow(SW_SHOW);
    m_lblPercent.ShowWindow(SW_SHOW);
    Invalidate(TRUE);

    BuildDownloadPlan();
    if (!PrepareInstallFiles()) {
        MessageBox(TEXT_CANNOT_CREATE_FILES, LoadResString(IDS_PRODUCT_NAME), MB_ICONSTOP);
        OnOK();
    }
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

UINT CInstallDlg::DownloadWorker(LPVOID pParam)
{
    auto* pDlg = static_cast<CInstallDlg*>(pParam);
    const UINT result = DownloadThreadProc(pDlg);
    pDlg->m_bDownloading = false;
    return result;
}

LRESULT CInstallDlg::OnStartDownload(WPARAM, LPARAM)
{
    m_bDownloading = true;
    AfxBeginThread(&CInstallDlg::DownloadWorker, this);
    return 1;
}
