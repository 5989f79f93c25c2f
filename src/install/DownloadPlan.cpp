// The download plan of one installation.
#include "install/DownloadPlan.h"

#include "BuildConfig.h"
#include "framework/FileFind.h"
#include "install/InstallDlg.h"
#include "install/InstallPaths.h"
#include "res/FixedTexts.h"

BOOL CInstallDlg::BuildDownloadPlan()
{
    m_DownloadList.RemoveAll();
    const PlanSegments segments{m_strProductDir, m_strVersionDir, m_strDataDir, m_strSDataDir, m_strPlDataDir};
    // Sign-in refuses such segments already; a plan is never made of them.
    if (!AreSafeSegments(segments)) {
        m_pDownloadList = &m_DownloadList;
        return TRUE;
    }
    AppendPlanUrls(m_DownloadList, DOWNLOAD_SERVER_HOST, OsKind, segments);

    // On Vista the setup program takes care of the driver registration.
    if (!IsVistaOrLater(OsKind) && !IsOdbcDriverRegistered()) {
        CString systemDir;
        if (!SystemFolder(systemDir))
            return FALSE;
        const CString library = systemDir + "\\ODBCJT32.DLL";
        CFileFind finder;
        if (finder.FindFile(library))
            RegisterOdbcDriver(library);
        else
            m_DownloadList.AddTail(OdbcLibraryUrl(DOWNLOAD_SERVER_HOST));
    }
    m_pDownloadList = &m_DownloadList;
    return TRUE;
}
