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
    DWORD exitCode = 1;
    {
        WineVersion win98("win98");
        exitCode = RunTestsInChild("DownloadWin98Child.*", kChildVariable, 180000);
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
        host.dlg.StartInstallation();
        EXPECT_TRUE(UsesWin98Setup(host.dlg.OsKind)) << host.dlg.OsKind;
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
