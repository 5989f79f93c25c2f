#include <winsock2.h>

#include "support/Registry.h"

namespace testsupport {

namespace {
const char kSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
}

void OdbcKeyGuard::Remove()
{
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY);
}

void OdbcKeyGuard::Set(const char* name, const std::string& value, DWORD type)
{
    HKEY hKey = nullptr;
    ::RegCreateKeyA(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, &hKey);
    ::RegSetValueExA(hKey, name, 0, type, reinterpret_cast<const BYTE*>(value.data()),
                     static_cast<DWORD>(value.size()));
    ::RegCloseKey(hKey);
}

std::string OdbcKeyGuard::Get(const char* name)
{
    char value[1024] = {};
    DWORD size = sizeof(value) - 1;
    HKEY hKey = nullptr;
    if (::RegOpenKeyA(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, &hKey) != ERROR_SUCCESS)
        return "<no key>";
    const LONG rc = ::RegQueryValueExA(hKey, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(hKey);
    return rc == ERROR_SUCCESS ? std::string(value) : "<no value>";
}

NoWebService::NoWebService()
{
    // A proxy on a loopback port where nothing listens: every request of a
    // preconfigured session is refused, as with the service gone.
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof(addr);
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    ::closesocket(s);
    const std::string proxy = "127.0.0.1:" + std::to_string(ntohs(addr.sin_port));

    ::RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hKey, nullptr);
    DWORD size = sizeof(m_dwOldEnable);
    m_bHadEnable = ::RegQueryValueExA(m_hKey, "ProxyEnable", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&m_dwOldEnable), &size) == ERROR_SUCCESS;
    char old[512] = {};
    size = sizeof(old) - 1;
    m_bHadServer = ::RegQueryValueExA(m_hKey, "ProxyServer", nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                      &size) == ERROR_SUCCESS;
    m_strOldServer = old;
    const DWORD enable = 1;
    ::RegSetValueExA(m_hKey, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof(enable));
    ::RegSetValueExA(m_hKey, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(proxy.c_str()),
                     static_cast<DWORD>(proxy.size() + 1));
}

NoWebService::~NoWebService()
{
    if (m_bHadEnable)
        ::RegSetValueExA(m_hKey, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_dwOldEnable),
                         sizeof(m_dwOldEnable));
    else
        ::RegDeleteValueA(m_hKey, "ProxyEnable");
    if (m_bHadServer)
        ::RegSetValueExA(m_hKey, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(m_strOldServer.c_str()),
                         static_cast<DWORD>(m_strOldServer.size() + 1));
    else
        ::RegDeleteValueA(m_hKey, "ProxyServer");
    ::RegCloseKey(m_hKey);
}

std::string RegString(HKEY root, const char* key, const char* name, REGSAM view)
{
    char buf[1024] = {};
    DWORD size = sizeof(buf) - 1, type = 0;
    HKEY h;
    if (::RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE | view, &h) != ERROR_SUCCESS)
        return "";
    const bool ok = ::RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS;
    ::RegCloseKey(h);
    return ok ? std::string(buf) : std::string();
}

WineSetting::WineSetting(const std::string& key, const char* name, const std::string& value)
    : m_key("Software\\Wine" + key), m_name(name), m_saved(RegString(HKEY_CURRENT_USER, m_key.c_str(), name))
{
    Set(value);
}

WineSetting::~WineSetting()
{
    Set(m_saved);
}

void WineSetting::Set(const std::string& value) const
{
    HKEY h;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
    if (value.empty())
        ::RegDeleteValueA(h, m_name);
    else
        ::RegSetValueExA(h, m_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(h);
}

} // namespace testsupport
