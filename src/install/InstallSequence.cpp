// The installation sequence (being written).
#include "InstallDlg.h"
#include "SetupDlg.h"

LRESULT CSetupDlg::OnSetupStart(WPARAM, LPARAM)
{
    return 1;
}

void CInstallDlg::RunInstallation() {}

BOOL CInstallDlg::PrepareInstallFiles()
{
    return FALSE;
}

LRESULT CInstallDlg::OnStartDownload(WPARAM, LPARAM)
{
    return 1;
}
