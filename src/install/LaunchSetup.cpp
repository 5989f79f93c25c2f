// Starting the setup program: "open", or "runas" where Vista must ask for
// elevation, from the program's own folder.
#include "install/InstallDlg.h"
#include "res/FixedTexts.h"

#include <shellapi.h>

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
