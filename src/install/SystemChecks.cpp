// The pre-install checks: which Windows this is, whether it may receive the
// product, and whether an earlier installation is still in the way.
#include "framework/Registry.h"
#include "framework/ResString.h"
#include "install/InstallDlg.h"
#include "install/OsKindRules.h"

#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

namespace {

const char UNINSTALL_KEY[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{4F1C2A77-93D0-4E5B-A2C8-7E61B05D3F94}";
const char PRODUCT_OPTIONS_KEY[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

static_assert(sizeof(OSVERSIONINFOEXA) == 156 && sizeof(OSVERSIONINFOA) == 148,
              "GetVersionEx tells the two structures apart by these sizes");

template <class H, auto Release>
struct Releaser {
    void operator()(H h) const { Release(h); }
};
using UniqueHandle = std::unique_ptr<void, Releaser<HANDLE, &::CloseHandle>>;
using UniqueSid = std::unique_ptr<void, Releaser<PSID, &::FreeSid>>;

CString g_strDeviceForTest;

BOOL OpenMachineKey(const char* pszSubKey, CRegKey& key)
{
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszSubKey, 0, KEY_QUERY_VALUE, key.Put()) == ERROR_SUCCESS;
}

} // namespace

CString ReadProductTypeText()
{
    CRegKey key;
    CString text;
    if (!OpenMachineKey(PRODUCT_OPTIONS_KEY, key) || ReadRegText(key, "ProductType", 80, text) != ERROR_SUCCESS)
        return CString();
    return text;
}

void CInstallDlg::SetDriverDeviceForTest(const char* pszPath)
{
    g_strDeviceForTest = pszPath;
}

int CInstallDlg::CheckSystem()
{
    const auto refuse = [this](UINT nIDText) {
        MessageBox(LoadResString(nIDText), LoadResString(IDS_CHECK_CAPTION), MB_ICONSTOP);
        return 0;
    };

    OsKind = GetOsKind();
    if (IsUnsupportedOsKind(OsKind))
        return refuse(IDS_UNSUPPORTED_OS);
    if (IsNtOsKind(OsKind) && !IsAdministrator())
        return refuse(IDS_NOT_ADMIN);
    if (CRegKey key; OpenMachineKey(UNINSTALL_KEY, key))
        return refuse(IDS_ALREADY_INSTALLED);
    if (IsWin9xOsKind(OsKind))
        return 1;

    // A device that still opens belongs to the driver of an earlier
    // installation, which only a reboot unloads.
    const CString device = g_strDeviceForTest.IsEmpty() ? CString(FilterDriverDevice(::GetVersion())) : g_strDeviceForTest;
    HANDLE hDevice = ::CreateFileA(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hDevice == INVALID_HANDLE_VALUE)
        return 1;
    ::CloseHandle(hDevice);
    return refuse(IDS_DRIVER_LEFT);
}

OsKind_t CInstallDlg::GetOsKind()
{
    OSVERSIONINFOEXA vi{};
    vi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    OsVersionFacts facts;
    facts.bExtended = ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&vi)) != FALSE;
    if (!facts.bExtended) {
        // Systems before Windows NT 4.0 SP6 know only the basic structure.
        vi = OSVERSIONINFOEXA{};
        vi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&vi)))
            return 0;
    }
    facts.bQueried = true;
    facts.dwPlatformId = vi.dwPlatformId;
    facts.dwMajorVersion = vi.dwMajorVersion;
    facts.dwMinorVersion = vi.dwMinorVersion;
    facts.chRelease = vi.szCSDVersion[1];
    facts.wProductType = vi.wProductType;
    facts.wSuiteMask = vi.wSuiteMask;
    if (!facts.bExtended && vi.dwPlatformId == VER_PLATFORM_WIN32_NT)
        facts.strProductType = ReadProductTypeText();
    return ClassifyOsKind(facts);
}

BOOL CInstallDlg::IsAdministrator()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID pAdmins = nullptr;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                    0, 0, 0, &pAdmins))
        return FALSE;
    const UniqueSid admins(pAdmins);

    HANDLE hToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return FALSE;
    const UniqueHandle token(hToken);

    DWORD cb = 0;
    ::GetTokenInformation(hToken, TokenGroups, nullptr, 0, &cb);
    if (cb < sizeof(TOKEN_GROUPS))
        return FALSE;
    std::vector<BYTE> buffer(cb);
    if (!::GetTokenInformation(hToken, TokenGroups, buffer.data(), cb, &cb))
        return FALSE;

    // The group must be enabled: one held for denial only (Vista's filtered
    // token, a restricted token anywhere) opens neither the private folder
    // nor the machine's settings. The program asks Vista for elevation
    // itself, so a filtered token here means elevation did not happen.
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (::EqualSid(groups->Groups[i].Sid, pAdmins))
            return (groups->Groups[i].Attributes & (SE_GROUP_ENABLED | SE_GROUP_USE_FOR_DENY_ONLY)) == SE_GROUP_ENABLED;
    return FALSE;
}
