// What the download, ODBC, launch and end-to-end tests share: the install
// dialog with a stand-in main window, the worker run, the ODBC key, and the
// folders.
#pragma once

#include "install/DownloadPlan.h"
#include "install/InstallDlg.h"
#include "support/Files.h"
#include "support/Program.h"
#include "support/Registry.h"
#include "support/Screen.h"
#include "support/Standin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dltest {

using namespace testsupport;

const char* const kDataFiles[] = {"cvxpdf.lst", "dbverify.dat", "cvspdf.lst", "sdbverify.dat", "tflowprd.lst"};

// The private folders workers made: in the Windows folder's Temp on the NT
// family, in the temporary folder on Windows 98.
std::vector<std::string> PrivateFolders();
// The setup program the last worker stored in a private folder of its own;
// empty when there is none.
std::string SetupPath();
// Removes the private folders the workers made, once their programs have ended.
void RemovePrivateFolders();
// The stand-in's file for a URL path.
std::string ServedFile(const std::string& path);
std::string SetupRecordFile();
// What the setup stand-in recorded, once it has written anything.
std::string WaitForSetupRecord(DWORD ms);
// Paths the download side was asked for, in order.
std::vector<std::string> DownloadRequests();

// Counts the worker's WM_SETUP_DONE.
class CMainStandIn : public CWnd {
public:
    int m_nSetupDone = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The install dialog, shown, owned by a stand-in main window, with the
// stand-in's sign-in segments.
struct InstallHost {
    InstallHost();
    ~InstallHost();
    void Plan(DWORD osKind);
    // Runs DownloadThreadProc on a thread of its own while this thread pumps;
    // true when it ended within ms. Every bar position seen is kept.
    bool RunWorker(DWORD ms);

    CMainStandIn mainWnd;
    CInstallDlg dlg{&mainWnd};
    std::vector<int> positions;
};

// Stand-in switches cleared, the setup stand-in's record emptied, the product
// folder present and the driver registered; downloaded files removed after.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    OdbcKeyGuard odbc;
};

} // namespace dltest
