// Starting the setup program: "open", or "runas" where Vista must ask for
// elevation, from the program's own folder.
#include "framework/SystemLibrary.h"
#include "install/InstallDlg.h"
#include "res/FixedTexts.h"

#include <shellapi.h>

namespace {

// A started program inherits the folder SetDllDirectoryA named, and an
// empty one changes its search order: the vendor's setup program gets the
// system's own (XP SP1 and later have the call; the rest never changed it).
void RestoreDllSearch()
{
    BOOL(WINAPI * setDllDirectory)(LPCSTR) = nullptr;
    if (ResolveFunction(::GetModuleHandleA("kernel32.dll"), "SetDllDirectoryA", setDllDirectory))
        setDllDirectory(nullptr);
}

BOOL ShellStart(const char* pszVerb, const CString& strFile, const CString& strParameters, BOOL bShow)
{
    RestoreDllSearch();
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

bool CInstallDlg::BeginLaunch()
{
    return !m_bLaunchSettled.exchange(true);
}
