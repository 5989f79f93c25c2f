// Registry keys with an owner, and string values read within a bound.
#pragma once

#include "framework/String.h"

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
    // For the Reg* functions that hand out a key.
    HKEY* Put() { return &m_hKey; }
    operator HKEY() const { return m_hKey; }
    explicit operator bool() const { return m_hKey != nullptr; }

private:
    HKEY m_hKey = nullptr;
};

// Reads a string value of at most nMaxBytes. A value stored without its
// terminating zero still gives its text; a longer value is not read.
// Returns the registry's result (ERROR_SUCCESS when rText was set).
LONG ReadRegText(HKEY hKey, const char* pszName, DWORD nMaxBytes, CString& rText);
