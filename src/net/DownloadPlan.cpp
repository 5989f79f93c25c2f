// The download plan of one installation and the start of the setup program.
#include "DownloadPlan.h"

#include "BuildConfig.h"
#include "FileFind.h"
#include "FixedTexts.h"
#include "InstallDlg.h"
#include "InstallPaths.h"

#include <shellapi.h>

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

    // On Vista the assistant runs without elevation, so the machine-wide
    // driver registration is out of its reach; setup takes care of it there.
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

namespace {

BOOL ShellStart(const char* pszVerb, const CString& strFile, const CString& strParameters, BOOL bShow)
{
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = pszVerb;
    info.lpFile = strFile;
    info.lpParameters = strParameters;
    // The program's own folder (for the setup program, the private one made for it).
    const CString folder = strFile.Left(strFile.ReverseFind('\\'));
    info.lpDirectory = folder.IsEmpty() ? nullptr : static_cast<const char*>(folder);
    info.nShow = bShow ? SW_SHOWDEFAULT : SW_HIDE;
    return ::ShellExecuteExA(&info);
}

} // namespace

int CInstallDlg::LaunchSetup(CString strFile, CString strParameters, BOOL bShow)
{
    if (!ShellStart("open", strFile, strParameters, bShow))
        InstallMessageBox(TEXT_OPEN_FAILED, MB_OK);
    return 1;
}

// A refused elevation is the visitor's choice; nothing to report.
int CInstallDlg::LaunchSetupElevated(CString strFile, CString strParameters, BOOL bShow)
{
    ShellStart("runas", strFile, strParameters, bShow);
    return 1;
}
