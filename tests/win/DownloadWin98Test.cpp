// Windows 98: nothing but the partner library download makes the product
// folder there, and the library must land in it all the same; the lists stay
// in the Windows folder. Windows reports its version from process start, so
// the checks run in a child process started while the prefix says "win98".
#include "DownloadWorkerTest.h"

#include "BuildConfig.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

TEST_F(DownloadWin98Child, PartnerLibraryGetsItsFolderAndTheListsStayInTheWindowsFolder)
{
    OSVERSIONINFOA vi{sizeof(vi)};
    ASSERT_TRUE(::GetVersionExA(&vi));
    ASSERT_EQ(vi.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
    ASSERT_EQ(vi.dwMajorVersion * 100 + vi.dwMinorVersion, 410u);

    const ProductDirAside aside;
    ASSERT_TRUE(Exists(WindowsDir() + "\\Downloaded Program Files"));
    ASSERT_FALSE(Exists(ProductDir()));
    MsgBoxWatcher boxes;
    InstallHost host;
    host.dlg.OsKind = 44; // Windows 98 SE

    EXPECT_EQ(host.dlg.DownloadPartnerLibrary(), 1);
    const std::vector<std::string> library{"VestaINet.dll"};
    EXPECT_EQ(ProductDirAside::Contents(ProductDir()), library);
    EXPECT_EQ(ReadBytes(ProductDir() + "\\VestaINet.dll"), ServedFile("/tlfree/data/VestaINet.dll"));

    // With the folder there already, the same again.
    RemoveFile(ProductDir() + "\\VestaINet.dll");
    EXPECT_EQ(host.dlg.DownloadPartnerLibrary(), 1);
    EXPECT_EQ(ProductDirAside::Contents(ProductDir()), library);

    host.Plan(44);
    ASSERT_TRUE(host.RunWorker(30000));
    EXPECT_EQ(host.mainWnd.m_nSetupDone, 1);
    for (const char* name : kDataFiles)
        EXPECT_TRUE(Exists(WindowsDir() + "\\" + name)) << name;
    EXPECT_EQ(ProductDirAside::Contents(ProductDir()), library) << "the product folder holds the library only";
    EXPECT_NE(WaitForSetupRecord(10000).find("path=" + SetupPath()), std::string::npos);
    EXPECT_TRUE(boxes.Boxes().empty());
}
