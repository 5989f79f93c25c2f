// The pre-install checks against the real version query, registry, process
// token and CreateFile. Wine takes the Windows version it reports from the
// registry when a process starts, so each version is looked at by a child
// process: this test program again, running only the probe below.
#include "install/InstallDlg.h"
#include "install/OsKindRules.h"
#include "net/FilePlacement.h"
#include "support/Screen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

const char UNINSTALL_KEY[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{4F1C2A77-93D0-4E5B-A2C8-7E61B05D3F94}";
const char PROBE_OUT_VAR[] = "TALLOW_CHECKS_PROBE";
const char PROBE_DEVICE_VAR[] = "TALLOW_CHECKS_DEVICE";

const char* const TEXT_UNSUPPORTED =
    u8"현재 사용하고 계신 운영체제에서는 탈로를 설치하실 수 없습니다. \r\n\r\n탈로는 Windows98 이상, Windows NT 4.0이상에서만 "
    u8"설치가능합니다";
const char* const TEXT_INSTALLED = u8"고객님께서 사용하시는 컴퓨터에 이미 탈로가 설치되어 있습니다.\n\n재설치를 원하시면 설치된 탈로를 "
                                   u8"삭제하셔야 합니다.";
const char* const TEXT_REBOOT = u8"탈로의 설치 정보가 남아 있으니 시스템을 리부팅 하신 후에 설치하시기 바랍니다";
const char* const TEXT_NOT_ADMIN = u8"현재 로그인된 사용자는 관리자권한을 가지고 있지 않습니다.\n\n컴퓨터/도메인에 모든 액세스 권한을 "
                                   u8"가진 관리자로 로그인하여야 설치가 가능합니다.";

// One report line per value; line breaks inside texts are written as \r and \n.
std::string Escape(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return out;
}

// Whether nobody holds the file open, checked when a message box comes up on
// this thread.
struct DeviceCheckAtBox {
    static inline std::string s_path;
    static inline int s_free = -1;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        char cls[16] = {};
        if (code == HCBT_ACTIVATE && ::GetClassNameA(reinterpret_cast<HWND>(wParam), cls, sizeof(cls)) &&
            !strcmp(cls, "#32770") && s_free < 0) {
            HANDLE h = ::CreateFileA(s_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            s_free = h != INVALID_HANDLE_VALUE;
            if (s_free)
                ::CloseHandle(h);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

// Changes one registry value for the scope and puts back what was there
// before, however the test ends: the prefix is shared with other tests.
class RegValueScope {
public:
    RegValueScope(HKEY hRoot, const char* pszSubKey, const char* pszName) : m_name(pszName)
    {
        ::RegCreateKeyExA(hRoot, pszSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
        DWORD cb = 0;
        m_hadValue = ::RegQueryValueExA(m_key, pszName, nullptr, &m_type, nullptr, &cb) == ERROR_SUCCESS;
        m_old.resize(cb);
        if (m_hadValue)
            ::RegQueryValueExA(m_key, pszName, nullptr, &m_type, m_old.data(), &cb);
    }
    ~RegValueScope()
    {
        if (m_hadValue)
            ::RegSetValueExA(m_key, m_name, 0, m_type, m_old.data(), static_cast<DWORD>(m_old.size()));
        else
            ::RegDeleteValueA(m_key, m_name);
        ::RegCloseKey(m_key);
    }
    RegValueScope(const RegValueScope&) = delete;
    RegValueScope& operator=(const RegValueScope&) = delete;

    void Set(DWORD type, const void* data, size_t cb)
    {
        ::RegSetValueExA(m_key, m_name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(cb));
    }
    void Set(const char* text) { Set(REG_SZ, text, strlen(text) + 1); }
    void Remove() { ::RegDeleteValueA(m_key, m_name); }

private:
    const char* m_name;
    HKEY m_key = nullptr;
    bool m_hadValue = false;
    DWORD m_type = REG_SZ;
    std::vector<BYTE> m_old;
};

// The product's uninstall key, as an earlier installation leaves it.
struct InstalledScope {
    InstalledScope()
    {
        HKEY hKey = nullptr;
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
        ::RegCloseKey(hKey);
    }
    ~InstalledScope() { ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY); }
};

std::string TempFile()
{
    char dir[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    ::GetTempPathA(sizeof(dir), dir);
    ::GetTempFileNameA(dir, "chk", 0, path);
    return path;
}

struct ProbeCase {
    const char* version;
    bool installed;              // the uninstall key is present
    bool driverLoaded;           // the filter-driver check is pointed at a file that opens
    bool denyOnlyAdmins = false; // the child's token holds Administrators for denial only
};

PSID NewAdministratorsSid()
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID pSid = nullptr;
    ::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &pSid);
    return pSid;
}

// Our own token with the Administrators group turned to deny-only, as Vista
// gives an administrator before elevation.
HANDLE NewDenyOnlyAdminsToken()
{
    HANDLE hOwn = nullptr;
    HANDLE hRestricted = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &hOwn);
    SID_AND_ATTRIBUTES admins{NewAdministratorsSid(), 0};
    ::CreateRestrictedToken(hOwn, 0, 1, &admins, 0, nullptr, 0, nullptr, &hRestricted);
    ::FreeSid(admins.Sid);
    ::CloseHandle(hOwn);
    return hRestricted;
}

// The attributes of the Administrators group in this process's token, 0 when absent.
DWORD AdministratorsAttributes()
{
    HANDLE hToken = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hToken);
    DWORD cb = 0;
    ::GetTokenInformation(hToken, TokenGroups, nullptr, 0, &cb);
    std::vector<BYTE> buffer(cb);
    ::GetTokenInformation(hToken, TokenGroups, buffer.data(), cb, &cb);
    ::CloseHandle(hToken);
    const PSID admins = NewAdministratorsSid();
    DWORD attributes = 0;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (::EqualSid(groups->Groups[i].Sid, admins))
            attributes = groups->Groups[i].Attributes;
    ::FreeSid(admins);
    return attributes;
}

// The entries of the private folder's access list as this process would make it.
DWORD PrivateFolderEntries()
{
    CPrivateSecurity security;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    if (!security.Build() || !::GetSecurityDescriptorDacl(security.Descriptor(), &present, &acl, &defaulted) || !acl)
        return 0;
    return acl->AceCount;
}

// Runs the probe in a child process under the given Windows version and
// returns its report, key by key.
std::map<std::string, std::string> RunProbe(const ProbeCase& c)
{
    // Wine reports this version to the processes started from now on.
    RegValueScope version(HKEY_CURRENT_USER, "Software\\Wine", "Version");
    version.Set(c.version);
    std::unique_ptr<InstalledScope> installed(c.installed ? new InstalledScope : nullptr);
    const std::string report = TempFile();
    const std::string device = c.driverLoaded ? TempFile() : std::string();
    ::SetEnvironmentVariableA(PROBE_OUT_VAR, report.c_str());
    ::SetEnvironmentVariableA(PROBE_DEVICE_VAR, c.driverLoaded ? device.c_str() : nullptr);

    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, sizeof(exe));
    std::string cmd = std::string("\"") + exe +
                      "\" --gtest_filter=SystemChecksProbe.DISABLED_ReportToFile --gtest_also_run_disabled_tests";
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE hNul = ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0,
                                nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = hNul;
    PROCESS_INFORMATION pi{};
    const HANDLE hToken = c.denyOnlyAdmins ? NewDenyOnlyAdminsToken() : nullptr;
    const BOOL started =
        hToken ? ::CreateProcessAsUserA(hToken, exe, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)
               : ::CreateProcessA(exe, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    if (hToken)
        ::CloseHandle(hToken);
    ::SetEnvironmentVariableA(PROBE_OUT_VAR, nullptr);
    ::SetEnvironmentVariableA(PROBE_DEVICE_VAR, nullptr);
    std::map<std::string, std::string> values;
    if (started) {
        if (::WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0)
            ::TerminateProcess(pi.hProcess, 1);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        std::ifstream in(report);
        for (std::string line; std::getline(in, line);) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos)
                values[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    ::CloseHandle(hNul);
    ::DeleteFileA(report.c_str());
    if (!device.empty())
        ::DeleteFileA(device.c_str());
    return values;
}

std::string Describe(const ProbeCase& c)
{
    return std::string(c.version) + (c.installed ? " installed" : "") + (c.driverLoaded ? " driver" : "") +
           (c.denyOnlyAdmins ? " deny-only" : "");
}

} // namespace

// Runs only in the child started by RunProbe.
TEST(SystemChecksProbe, DISABLED_ReportToFile)
{
    const char* out = getenv(PROBE_OUT_VAR);
    if (!out)
        GTEST_SKIP();
    const char* device = getenv(PROBE_DEVICE_VAR);
    CInstallDlg::SetDriverDeviceForTest(device);
    DeviceCheckAtBox::s_path = device ? device : "";
    HHOOK hHook = ::SetWindowsHookExA(WH_CBT, &DeviceCheckAtBox::Hook, nullptr, ::GetCurrentThreadId());

    // Created hidden, as the main window creates it; it owns the messages.
    CInstallDlg dlg;
    dlg.Create(IDD_INSTALL_DIALOG);
    MsgBoxWatcher watcher(IDOK);
    const OsKind_t kind = dlg.GetOsKind();
    const int result = dlg.CheckSystem();
    ::UnhookWindowsHookEx(hHook);

    std::ofstream report(out);
    report << "kind=" << kind << "\nmember=" << dlg.OsKind << "\nresult=" << result
           << "\nboxes=" << watcher.Boxes().size() << "\ndeviceFree=" << DeviceCheckAtBox::s_free
           << "\nadminsDenyOnly=" << ((AdministratorsAttributes() & SE_GROUP_USE_FOR_DENY_ONLY) != 0)
           << "\nprivateFolderEntries=" << PrivateFolderEntries() << "\n";
    if (!watcher.Boxes().empty()) {
        const auto box = watcher.Boxes()[0];
        report << "caption=" << Escape(box.caption) << "\ntext=" << Escape(box.text)
               << "\nstop=" << (box.icon == MsgBoxWatcher::ICON_STOP)
               << "\nowned=" << (box.owner == dlg.m_hWnd) << "\n";
    }
}

TEST(SystemChecks, EachWindowsVersionGetsItsKindAndUnsupportedOnesAreRefused)
{
    const struct {
        const char* version;
        OsKind_t kind;
        bool refused;
    } versions[] = {
        {"win95", OSKIND_WIN95, true},          {"win98", OSKIND_WIN98_SE, false},
        {"winme", OSKIND_WINME, false},         {"nt40", OSKIND_NT4_WORKSTATION, false},
        {"win2k", OSKIND_WIN2000_PRO, false},   {"winxp", OSKIND_XP_PRO, false},
        {"winxp64", OSKIND_SERVER2003, false},  {"win2003", OSKIND_SERVER2003, false},
        {"vista", OSKIND_VISTA, false},         {"win7", OSKIND_UNKNOWN, true},
    };
    for (const auto& v : versions) {
        auto r = RunProbe({v.version, false, false});
        SCOPED_TRACE(v.version);
        EXPECT_EQ(r["kind"], std::to_string(v.kind));
        EXPECT_EQ(r["member"], std::to_string(v.kind)) << "CheckSystem keeps the kind";
        EXPECT_EQ(r["result"], v.refused ? "0" : "1");
        EXPECT_EQ(r["boxes"], v.refused ? "1" : "0");
        if (v.refused) {
            EXPECT_EQ(r["caption"], u8"탈로 Free");
            EXPECT_EQ(r["text"], Escape(TEXT_UNSUPPORTED));
            EXPECT_EQ(r["stop"], "1");
            EXPECT_EQ(r["owned"], "1");
        }
    }
}

TEST(SystemChecks, RefusalsComeInTheirOrder)
{
    const struct {
        ProbeCase probe;
        const char* result;
        const char* text; // null: no message
    } cases[] = {
        {{"win7", true, true}, "0", TEXT_UNSUPPORTED},
        {{"win98", true, true}, "0", TEXT_INSTALLED},
        {{"win2k", true, true}, "0", TEXT_INSTALLED},
        {{"vista", true, false}, "0", TEXT_INSTALLED},
        {{"win98", false, true}, "1", nullptr}, // no driver on the 9x family
        {{"nt40", false, true}, "0", TEXT_REBOOT}, // NT 4.0 is of the NT family too
        {{"winxp", false, true}, "0", TEXT_REBOOT},
        {{"vista", false, true}, "0", TEXT_REBOOT},
        // Administrators for denial only, as Vista's filtered token or a restricted one has it: elevation
        // did not happen, and the private folder would be out of reach.
        {{"vista", false, false, true}, "0", TEXT_NOT_ADMIN},
        {{"winxp", true, false, true}, "0", TEXT_NOT_ADMIN},
    };
    for (const auto& c : cases) {
        auto r = RunProbe(c.probe);
        SCOPED_TRACE(Describe(c.probe));
        EXPECT_EQ(r["result"], c.result);
        EXPECT_EQ(r["boxes"], c.text ? "1" : "0");
        EXPECT_EQ(r["adminsDenyOnly"], c.probe.denyOnlyAdmins ? "1" : "0");
        EXPECT_EQ(r["privateFolderEntries"], "2") << "Administrators and SYSTEM, whatever the token";
        if (!c.text)
            continue;
        EXPECT_EQ(r["text"], Escape(c.text));
        EXPECT_EQ(r["caption"], u8"탈로 Free");
        EXPECT_EQ(r["stop"], "1");
        EXPECT_EQ(r["owned"], "1");
        if (c.text == TEXT_REBOOT)
            EXPECT_EQ(r["deviceFree"], "1") << "the device is closed before the message";
    }
}

TEST(SystemChecks, ProductTypeTextIsReadWithinItsBuffer)
{
    RegValueScope type(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType");
    type.Set("LanmanNT");
    EXPECT_EQ(ReadProductTypeText(), "LanmanNT");

    const std::string full(80, 'N'); // no room left for a terminating zero
    type.Set(REG_BINARY, full.data(), full.size());
    EXPECT_EQ(ReadProductTypeText(), CString(full));

    const std::string longer(81, 'N');
    type.Set(REG_BINARY, longer.data(), longer.size());
    EXPECT_TRUE(ReadProductTypeText().IsEmpty());

    type.Remove();
    EXPECT_TRUE(ReadProductTypeText().IsEmpty());
}

// GetProcessHandleCount is a stub under Wine: count the handle values that
// are in use instead.
static int CountOpenHandles()
{
    int n = 0;
    DWORD flags = 0;
    for (uintptr_t v = 4; v < 0x4000; v += 4)
        n += ::GetHandleInformation(reinterpret_cast<HANDLE>(v), &flags) != FALSE;
    return n;
}

TEST(SystemChecks, WineRunsAsAdministratorAndTheTokenWalkLeavesNothingOpen)
{
    CInstallDlg dlg;
    EXPECT_TRUE(dlg.IsAdministrator());
    const int before = CountOpenHandles();
    for (int i = 0; i < 20; ++i)
        dlg.IsAdministrator();
    EXPECT_EQ(CountOpenHandles(), before);
}
