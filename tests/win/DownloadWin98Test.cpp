// Windows 98: nothing but the partner library download makes the product
// folder there, and the library must land in it all the same; the lists stay
// in the Windows folder. Windows reports its version from process start, so
// the checks run in a child process started while the prefix says "win98".
#include "support/Download.h"

#include "account/PartnerCookie.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

using namespace dltest;
using namespace testsupport;

namespace {

const char kChildVariable[] = "TALLOW_WIN98_CHILD";

// Sets the prefix's Windows version for processes started from now on, and
// puts back what was there.
class WineVersionGuard {
public:
    explicit WineVersionGuard(const char* version)
    {
        ::RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine", &m_hKey);
        DWORD size = sizeof(m_previous) - 1;
        m_hadValue = ::RegQueryValueExA(m_hKey, "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(m_previous),
                                        &size) == ERROR_SUCCESS;
        Set(version);
    }
    ~WineVersionGuard()
    {
        if (m_hadValue)
            Set(m_previous);
        else
            ::RegDeleteValueA(m_hKey, "Version");
        ::RegCloseKey(m_hKey);
    }

private:
    void Set(const char* version)
    {
        ::RegSetValueExA(m_hKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                         static_cast<DWORD>(strlen(version) + 1));
    }
    HKEY m_hKey = nullptr;
    char m_previous[64] = {};
    bool m_hadValue = false;
};

class DownloadWin98Child : public DownloadTest {
protected:
    void SetUp() override
    {
        if (!std::getenv(kChildVariable))
            GTEST_SKIP() << "runs only in the child started by DownloadWin98.RunsInAWindows98Process";
        DownloadTest::SetUp();
    }
};

} // namespace

TEST(DownloadWin98, RunsInAWindows98Process)
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = std::string("\"") + self + "\" --gtest_filter=DownloadWin98Child.*";
    DWORD exitCode = 1;
    {
        WineVersionGuard win98("win98");
        ::SetEnvironmentVariableA(kChildVariable, "1");
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION child{};
        const BOOL started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                              nullptr, &startup, &child);
        ::SetEnvironmentVariableA(kChildVariable, nullptr);
        ASSERT_TRUE(started);
        EXPECT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(child.hProcess, 0) == WAIT_OBJECT_0; }, 180000));
        ::GetExitCodeProcess(child.hProcess, &exitCode);
        ::CloseHandle(child.hThread);
        ::CloseHandle(child.hProcess);
    }
    EXPECT_EQ(exitCode, 0u) << "the Windows 98 checks failed in the child (see its output above)";
    OSVERSIONINFOA vi{sizeof(vi)};
    ::GetVersionExA(&vi);
    EXPECT_EQ(vi.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT)) << "this process keeps its own version";
}

namespace {

const char* const kInfoFiles[] = {"tlvestaInfo.dat", "tluinfo.dat", "cvbinfo.dat"};

// The installation as the main window runs it once the visitor's download was
// recognised: checks, partner cookie and library, sign-in, plan, information
// files and the download worker, up to the hand-over to setup.
void RunWholeInstallation()
{
    OSVERSIONINFOA vi{sizeof(vi)};
    ASSERT_TRUE(::GetVersionExA(&vi));
    ASSERT_EQ(vi.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
    ASSERT_EQ(vi.dwMajorVersion * 100 + vi.dwMinorVersion, 410u);
    ASSERT_TRUE(Exists(WindowsDir() + "\\Downloaded Program Files"));

    const CString cookieFolder = GetCookieFolder();
    ::CreateDirectoryA(cookieFolder, nullptr);
    const std::string cookie = cookieFolder.str() + "\\account@vestainet[1].txt";
    std::ofstream(cookie, std::ios::binary) << "tlinfo\nF0&kim01&PX7&name&010\nvestainet.example/\n";

    MsgBoxWatcher boxes;
    {
        InstallHost host;
        ASSERT_TRUE(host.dlg.CheckSystem());
        EXPECT_TRUE(UsesWin98Setup(host.dlg.OsKind)) << host.dlg.OsKind;
        ASSERT_TRUE(host.dlg.CheckPartner()) << "the partner library must land in the product folder";
        host.dlg.RunInstallation();
        EXPECT_TRUE(PumpUntil([&] { return host.mainWnd.m_nSetupDone > 0; }, 60000));
        // The check keeps the library loaded for the process; the test lets go of it to clean up.
        ::FreeLibrary(host.dlg.m_hPartnerLib);
    }
    ::DeleteFileA(cookie.c_str());

    std::vector<std::string> productFiles = ProductDirAside::Contents(ProductDir());
    // The partner library's stand-in records its calls beside itself.
    productFiles.erase(std::remove(productFiles.begin(), productFiles.end(), "VestaINet.log"), productFiles.end());
    EXPECT_EQ(productFiles, std::vector<std::string>{"VestaINet.dll"})
        << "the product folder holds the partner library and nothing else";
    EXPECT_EQ(ReadBytes(ProductDir() + "\\VestaINet.dll"), ServedFile("/tlfree/data/VestaINet.dll"));
    for (const char* name : kDataFiles)
        EXPECT_TRUE(Exists(WindowsDir() + "\\" + name)) << name;
    for (const char* name : kInfoFiles) {
        EXPECT_TRUE(Exists(WindowsDir() + "\\" + name)) << name;
        RemoveFile(WindowsDir() + "\\" + name);
    }
    EXPECT_EQ(ReadBytes(SetupPath()), ServedFile("/tlfree/win98/2.0.98/TallowSetup98.exe"));
    EXPECT_NE(WaitForSetupRecord(10000).find("path=" + SetupPath()), std::string::npos);
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace

TEST_F(DownloadWin98Child, InstallationMakesTheProductFolderForThePartnerLibrary)
{
    const ProductDirAside aside;
    ASSERT_FALSE(Exists(ProductDir()));
    RunWholeInstallation();
}

TEST_F(DownloadWin98Child, InstallationWithTheProductFolderAlreadyThere)
{
    const ProductDirAside aside;
    ASSERT_TRUE(::CreateDirectoryA(ProductDir().c_str(), nullptr));
    RunWholeInstallation();
}
