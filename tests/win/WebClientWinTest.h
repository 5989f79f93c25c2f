// The vendor stand-in's web side as the account tests drive it.
#pragma once

#include <windows.h>

#include <string>

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

// Clears the stand-in's switches and record, then sets `query` (k=v&...).
void StandinSwitches(const std::string& query);
// A field ("path", "User-Agent", ...) of the last request the stand-in recorded.
std::string StandinLastRequest(const char* key);
