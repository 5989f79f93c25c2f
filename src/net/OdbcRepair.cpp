// The product keeps its data in Access files, so the ODBC Access driver must
// be registered and its library present before setup runs.
#include "App.h"
#include "FileFind.h"
#include "InstallDlg.h"

#include <cstring>

namespace {

const char ODBC_ACCESS_KEY[] = "Software\\ODBC\\ODBCINST.INI\\Microsoft Access Driver (*.mdb)";

class CRegKey {
public:
    CRegKey() = default;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    ~CRegKey()
    {
        if (m_hKey)
            ::RegCloseKey(m_hKey);
    }
    HKEY* Put() { return &m_hKey; }
    operator HKEY() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

// A stored string may lack its terminating zero; one spare byte keeps the
// text terminated whatever was stored.
bool ReadValue(HKEY hKey, const char* pszName, char (&buf)[512 + 1])
{
    DWORD size = 512;
    if (::RegQueryValueExA(hKey, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS)
        return false;
    buf[size] = '\0';
    return true;
}

} // namespace

BOOL CInstallDlg::IsOdbcDriverRegistered()
{
    CRegKey key;
    if (::RegOpenKeyA(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, key.Put()) != ERROR_SUCCESS)
        return FALSE;
    char value[512 + 1] = {};
    if (!ReadValue(key, "Driver", value) && !ReadValue(key, "Setup", value))
        return FALSE;
    CFileFind finder;
    return finder.FindFile(value);
}

void CInstallDlg::RegisterOdbcDriver(LPCSTR lpszPath)
{
    if (!SetRegString(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, "Driver", lpszPath))
        AfxMessageBox("MDB Registry Value Write Fail : Driver");
    if (!SetRegString(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, "Setup", lpszPath))
        AfxMessageBox("MDB Registry Value Write Fail : Setup");
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
