#include "framework/Registry.h"

#include <cstring>
#include <vector>

LONG ReadRegText(HKEY hKey, const char* pszName, DWORD nMaxBytes, CString& rText)
{
    std::vector<char> buf(nMaxBytes + 1, '\0');
    DWORD size = nMaxBytes;
    const LONG rc = ::RegQueryValueExA(hKey, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(buf.data()), &size);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (size > nMaxBytes)
        return ERROR_MORE_DATA;
    rText = CString(buf.data(), static_cast<int>(strnlen(buf.data(), size)));
    return ERROR_SUCCESS;
}
