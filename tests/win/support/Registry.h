// Registry state a test changes and puts back.
#pragma once

#include "install/DownloadPlan.h"

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

// A text value of the registry, "" when it cannot be read; view may name
// the 32-bit or 64-bit registry view.
std::string RegString(HKEY root, const char* key, const char* name, REGSAM view = 0);

// A value of the prefix's HKCU\Software\Wine settings for the processes
// started from now on (empty: removed), restored when it goes.
class WineSetting {
public:
    WineSetting(const std::string& key, const char* name, const std::string& value);
    ~WineSetting();
    WineSetting(const WineSetting&) = delete;
    WineSetting& operator=(const WineSetting&) = delete;

private:
    void Set(const std::string& value) const;
    std::string m_key;
    const char* m_name;
    std::string m_saved;
};

// The Windows version Wine pretends to be (empty: Wine's default).
struct WineVersion : WineSetting {
    explicit WineVersion(const std::string& version) : WineSetting("", "Version", version) {}
};

// Windows placed by the program alone, as on Windows. Without a window
// manager Wine's X11 driver otherwise waits about two seconds for each window
// it shows or hides, which would swamp any timing of the program's own.
struct UnmanagedWindows : WineSetting {
    UnmanagedWindows() : WineSetting("\\X11 Driver", "Managed", "N") {}
};

} // namespace testsupport
