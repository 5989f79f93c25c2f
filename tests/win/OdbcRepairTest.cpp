// The ODBC Access driver: when it counts as registered, and the repair made
// while the plan is built (register the library that is there, or fetch it and
// register it after the download), in the real registry and system folder.
#include "support/Download.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace dltest;
using namespace testsupport;

namespace {

class OdbcRepair : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        odbc.Remove();
        ASSERT_FALSE(Exists(Library())) << "the prefix should not have the Access driver";
    }
    void TearDown() override
    {
        RemoveFile(Library());
        DownloadTest::TearDown();
    }
    static std::string Library() { return SystemDir() + "\\ODBCJT32.DLL"; }
};

} // namespace

TEST_F(OdbcRepair, RegisteredMeansAReadableValueNamingAnExistingFile)
{
    InstallHost host;
    const std::string present = SystemDir() + "\\kernel32.dll";
    const std::string absent = SystemDir() + "\\no-such-driver.dll";
    EXPECT_FALSE(host.dlg.IsOdbcDriverRegistered()) << "no key";

    odbc.Set("Setup", present);
    EXPECT_TRUE(host.dlg.IsOdbcDriverRegistered()) << "Setup stands in for a missing Driver";
    odbc.Set("Driver", absent);
    EXPECT_FALSE(host.dlg.IsOdbcDriverRegistered()) << "a readable Driver decides; Setup is not consulted";
    odbc.Set("Driver", present);
    EXPECT_TRUE(host.dlg.IsOdbcDriverRegistered());
    odbc.Set("Driver", present + std::string(600, 'x'));
    EXPECT_TRUE(host.dlg.IsOdbcDriverRegistered()) << "a Driver longer than 512 bytes falls back to Setup";
    odbc.Set("Setup", "%SystemRoot%\\system32\\kernel32.dll");
    EXPECT_FALSE(host.dlg.IsOdbcDriverRegistered()) << "the text is used verbatim";
    // Stored without any terminating zero: the name still ends where the value does.
    odbc.Set("Driver", present, REG_BINARY);
    EXPECT_TRUE(host.dlg.IsOdbcDriverRegistered());
}

TEST_F(OdbcRepair, ARegisteredDriverLeavesPlanAndRegistryAlone)
{
    odbc.Set("Driver", SystemDir() + "\\kernel32.dll");
    InstallHost host;
    host.Plan(OSKIND_XP_PRO);
    EXPECT_EQ(host.dlg.m_DownloadList.GetCount(), 6);
    EXPECT_EQ(host.dlg.m_pDownloadList, &host.dlg.m_DownloadList);
    EXPECT_EQ(odbc.Get("Setup"), "<no value>");
}

TEST_F(OdbcRepair, ALibraryInTheSystemFolderIsRegisteredWithoutADownload)
{
    std::ofstream(Library()) << "driver";
    InstallHost host;
    host.Plan(OSKIND_XP_PRO);
    EXPECT_EQ(host.dlg.m_DownloadList.GetCount(), 6);
    EXPECT_EQ(odbc.Get("Driver"), Library());
    EXPECT_EQ(odbc.Get("Setup"), Library());
}

TEST_F(OdbcRepair, AMissingLibraryIsDownloadedThenRegistered)
{
    InstallHost host;
    host.Plan(OSKIND_XP_PRO);
    host.Plan(OSKIND_XP_PRO); // building twice leaves one plan
    ASSERT_EQ(host.dlg.m_DownloadList.GetCount(), 7);
    EXPECT_EQ(host.dlg.m_DownloadList.GetTail(), "127.0.0.1/mdb/ODBCJT32.DLL");
    EXPECT_EQ(odbc.Get("Driver"), "<no key>") << "nothing is registered before the download";

    ASSERT_TRUE(host.RunWorker(30000));
    const std::string stored = SystemDir() + "\\odbcjt32.dll";
    EXPECT_EQ(ReadBytes(stored), ServedFile("/mdb/ODBCJT32.DLL"));
    EXPECT_EQ(odbc.Get("Driver"), stored);
    EXPECT_EQ(odbc.Get("Setup"), stored);
    // Seven shares of 57 leave the bar at 399 until the end sets 400.
    EXPECT_EQ(host.dlg.m_ctlProgress.m_nPos, PROGRESS_UNITS);
    EXPECT_EQ(std::string(host.dlg.m_lblPercent.GetText()), "100%");
    EXPECT_EQ(host.mainWnd.m_nSetupDone, 1);
}

TEST_F(OdbcRepair, VistaIsNeverCheckedRegisteredOrDownloaded)
{
    InstallHost host;
    host.Plan(OSKIND_VISTA);
    EXPECT_EQ(host.dlg.m_DownloadList.GetCount(), 6);
    EXPECT_EQ(host.dlg.m_DownloadList.GetHead(), "127.0.0.1/tlfree/winvista/2.0.vista/TLFreeSetupVista.exe");
    EXPECT_EQ(odbc.Get("Driver"), "<no key>");
}

TEST_F(OdbcRepair, SetRegStringCreatesTheKeyAndReportsFailure)
{
    InstallHost host;
    EXPECT_TRUE(host.dlg.SetRegString(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, "Driver", "C:\\x\\odbcjt32.dll"));
    EXPECT_EQ(odbc.Get("Driver"), "C:\\x\\odbcjt32.dll");
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegOpenKeyA(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, &hKey), ERROR_SUCCESS);
    DWORD type = 0;
    ::RegQueryValueExA(hKey, "Driver", nullptr, &type, nullptr, nullptr);
    ::RegCloseKey(hKey);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_FALSE(host.dlg.SetRegString(reinterpret_cast<HKEY>(0x1234), "Nowhere", "Driver", "x"));
}
