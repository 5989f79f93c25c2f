// Registry state a test changes and puts back.
#pragma once

#include "net/DownloadPlan.h"

#include <windows.h>

#include <string>

namespace testsupport {

// The ODBC Access driver key, removed for the test and afterwards.
struct OdbcKeyGuard {
    OdbcKeyGuard() { Remove(); }
    ~OdbcKeyGuard() { Remove(); }
    void Remove();
    void Set(const char* name, const std::string& value, DWORD type = REG_SZ);
    std::string Get(const char* name);
};

// While it lives, WinINet's preconfigured sessions find no web service: the
// registry's proxy setting points at a loopback port where nothing listens.
class NoWebService {
public:
    NoWebService();
    ~NoWebService();
    NoWebService(const NoWebService&) = delete;
    NoWebService& operator=(const NoWebService&) = delete;

private:
    HKEY m_hKey = nullptr;
    bool m_bHadEnable = false;
    bool m_bHadServer = false;
    DWORD m_dwOldEnable = 0;
    std::string m_strOldServer;
};

} // namespace testsupport
