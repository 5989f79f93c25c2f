#include "SetupDlg.h"

LRESULT CSetupDlg::OnSetupStart(WPARAM, LPARAM)
{
    return 1;
}
