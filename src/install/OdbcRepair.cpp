// The product keeps its data in Access files, so the ODBC Access driver must
// be registered and its library present before setup runs.
#include "framework/FileFind.h"
#include "framework/Registry.h"
#include "install/DownloadPlan.h"
#include "install/InstallDlg.h"
#include "res/FixedTexts.h"

#include <cstring>

BOOL CInstallDlg::IsOdbcDriverRegistered()
{
    CRegKey key;
    if (::RegOpenKeyA(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, key.Put()) != ERROR_SUCCESS)
        return FALSE;
    CString value;
    if (ReadRegText(key, "Driver", 512, value) != ERROR_SUCCESS && ReadRegText(key, "Setup", 512, value) != ERROR_SUCCESS)
        return FALSE;
    CFileFind finder;
    return finder.FindFile(value);
}

void CInstallDlg::RegisterOdbcDriver(LPCSTR lpszPath)
{
    if (!SetRegString(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, "Driver", lpszPath))
        InstallMessageBox(TEXT_ODBC_DRIVER_NOT_WRITTEN, MB_OK);
    if (!SetRegString(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, "Setup", lpszPath))
        InstallMessageBox(TEXT_ODBC_SETUP_NOT_WRITTEN, MB_OK);
}

BOOL CInstallDlg::SetRegString(HKEY hRoot, LPCSTR lpszSubKey, LPCSTR lpszValueName, LPCSTR lpszValue)
{
    CRegKey key;
    if (::RegOpenKeyA(hRoot, lpszSubKey, key.Put()) != ERROR_SUCCESS &&
        ::RegCreateKeyA(hRoot, lpszSubKey, key.Put()) != ERROR_SUCCESS)
        return FALSE;
    // Stored without the terminating zero, as the driver manager has always found it.
    return ::RegSetValueExA(key, lpszValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                            static_cast<DWORD>(strlen(lpszValue))) == ERROR_SUCCESS;
}
