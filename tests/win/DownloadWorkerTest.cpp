// The download worker end to end against the download stand-in: files where
// the plan says, read-only leftovers replaced, the bar and label at the end,
// the setup stand-in started and the main window told; and what the visitor
// sees when the server or the disk lets the installation down.
#include "support/Download.h"

#include "app/Messages.h"
#include "BuildConfig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

using namespace testsupport;

using namespace dltest;

namespace {

const char* const kDataPaths[] = {"/data/20080301/cvxpdf.lst", "/data/20080301/dbverify.dat",
                                  "/tlfree_sdata/20080301/cvspdf.lst", "/tlfree_sdata/20080301/sdbverify.dat",
                                  "/pldata/20080301/tflowprd.lst"};

class DownloadWorker : public DownloadTest {};

} // namespace

TEST_F(DownloadWorker, NtRunStoresEveryFileStartsSetupAndHandsOver)
{
    MsgBoxWatcher boxes;
    InstallHost host;
    host.Plan(OSKIND_XP_PRO);
    ASSERT_EQ(host.dlg.m_DownloadList.GetCount(), 6);
    ASSERT_TRUE(host.RunWorker(30000));

    std::vector<std::string> expectedRequests{"/tlfree/win2000/2.0.2000/TLFreeSetup.exe"};
    expectedRequests.insert(expectedRequests.end(), std::begin(kDataPaths), std::end(kDataPaths));
    EXPECT_EQ(DownloadRequests(), expectedRequests);
    EXPECT_NE(StandinGet("/_control/requests").find("\"Host\": \"127.0.0.1:" + std::to_string(DOWNLOAD_SERVER_PORT)),
              std::string::npos);

    ASSERT_FALSE(SetupPath().empty()) << "Tempcr.exe in a private folder inside " << TempDir();
    EXPECT_EQ(ReadBytes(SetupPath()), ServedFile("/tlfree/win2000/2.0.2000/TLFreeSetup.exe"));
    for (size_t i = 0; i < std::size(kDataFiles); ++i) {
        const std::string local = ProductDir() + "\\" + kDataFiles[i];
        EXPECT_EQ(ReadBytes(local), ServedFile(kDataPaths[i])) << local;
        EXPECT_FALSE(Exists(WindowsDir() + "\\" + kDataFiles[i])) << kDataFiles[i];
    }

    EXPECT_EQ(host.dlg.m_ctlProgress.m_nPos, PROGRESS_UNITS);
    EXPECT_EQ(std::string(host.dlg.m_lblPercent.GetText()), "100%");
    for (size_t i = 1; i < host.positions.size(); ++i)
        EXPECT_LE(host.positions[i - 1], host.positions[i]);
    EXPECT_EQ(host.mainWnd.m_nSetupDone, 1);
    EXPECT_TRUE(host.dlg.IsWindowVisible());
    EXPECT_TRUE(boxes.Boxes().empty());

    const std::string record = WaitForSetupRecord(10000);
    EXPECT_NE(record.find("path=" + SetupPath() + "\r\n"), std::string::npos) << record;
    EXPECT_NE(record.find("args=\r\n"), std::string::npos) << record;
    EXPECT_NE(record.find("show=10\r\n"), std::string::npos) << record;
}

// The installation's worker as WM_START_DOWNLOAD starts it: the installation
// runs until the worker has ended, and a second start message adds no worker.
TEST_F(DownloadWorker, TheInstallationRunsUntilItsOnlyWorkerHasEnded)
{
    MsgBoxWatcher boxes;
    InstallHost host;
    host.Plan(OSKIND_XP_PRO);
    ASSERT_TRUE(host.dlg.BeginInstallation());
    EXPECT_FALSE(host.dlg.BeginInstallation());
    host.dlg.SendMessage(WM_START_DOWNLOAD);
    host.dlg.SendMessage(WM_START_DOWNLOAD);
    EXPECT_TRUE(host.dlg.IsWorkerRunning());
    ASSERT_TRUE(PumpUntil([&] { return !host.dlg.IsInstalling(); }, 30000));
    EXPECT_FALSE(host.dlg.IsWorkerRunning());
    EXPECT_EQ(host.mainWnd.m_nSetupDone, 1);
    EXPECT_EQ(DownloadRequests().size(), 6u) << "one worker";
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Closing the assistant in the middle of a slow download.
TEST_F(DownloadWorker, AStopEndsTheWorkerAtOnceWithoutFileOrSetup)
{
    MsgBoxWatcher boxes;
    InstallHost host;
    host.Plan(OSKIND_XP_PRO);
    StandinGet("/_control/set?rate=20000&only=TLFreeSetup"); // about 13 s for the setup program
    host.dlg.SendMessage(WM_START_DOWNLOAD);
    ASSERT_TRUE(PumpUntil([&] { return host.dlg.m_ctlProgress.m_nPos > 0; }, 20000)) << "bytes arrive";
    const DWORD asked = ::GetTickCount();
    EXPECT_TRUE(host.dlg.StopWorker(3000));
    EXPECT_LT(::GetTickCount() - asked, 1000u);
    host.dlg.SendMessage(WM_START_DOWNLOAD);
    EXPECT_FALSE(host.dlg.IsWorkerRunning()) << "none starts once stopped";
    EXPECT_FALSE(host.dlg.BeginInstallation());
    EXPECT_EQ(DownloadRequests(), std::vector<std::string>{"/tlfree/win2000/2.0.2000/TLFreeSetup.exe"});
    EXPECT_EQ(SetupPath(), "");
    EXPECT_TRUE(PrivateFolders().empty()) << "the stopped worker's folder goes with its file";
    EXPECT_EQ(host.mainWnd.m_nSetupDone, 0);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(DownloadWorker, Windows98KeepsTheListsInTheWindowsFolderAndReplacesReadOnlyLeftovers)
{
    // Leftovers of an earlier run, read-only and hidden.
    for (const char* name : kDataFiles) {
        const std::string path = WindowsDir() + "\\" + name;
        std::ofstream(path, std::ios::binary) << "stale " << name << " from an earlier run, longer than the new one";
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    }
    MsgBoxWatcher boxes;
    InstallHost host;
    host.Plan(OSKIND_WIN98_SE);
    ASSERT_TRUE(host.RunWorker(30000));

    EXPECT_EQ(DownloadRequests().front(), "/tlfree/win98/2.0.98/TallowSetup98.exe");
    EXPECT_EQ(ReadBytes(SetupPath()), ServedFile("/tlfree/win98/2.0.98/TallowSetup98.exe"));
    for (size_t i = 0; i < std::size(kDataFiles); ++i) {
        const std::string local = WindowsDir() + "\\" + kDataFiles[i];
        EXPECT_EQ(ReadBytes(local), ServedFile(kDataPaths[i])) << local;
        EXPECT_FALSE(::GetFileAttributesA(local.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        EXPECT_FALSE(Exists(ProductDir() + "\\" + kDataFiles[i])) << kDataFiles[i];
    }
    EXPECT_EQ(host.mainWnd.m_nSetupDone, 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_NE(WaitForSetupRecord(10000).find("path=" + SetupPath()), std::string::npos);
}

namespace {

// Runs the worker for Windows XP Professional against the stand-in with `faults` set; it
// must stop with one message box owned by the install dialog, hide the
// dialog and hand nothing over. Returns the box.
MsgBoxWatcher::Box FailedRun(const std::string& faults, size_t expectedRequests)
{
    StandinGet("/_control/reset");
    StandinGet("/_control/set?" + faults);
    MsgBoxWatcher boxes;
    InstallHost host;
    host.Plan(OSKIND_XP_PRO);
    EXPECT_TRUE(host.RunWorker(30000)) << faults;
    EXPECT_TRUE(boxes.WaitForBoxes(1, 5000)) << faults;
    PumpPending(); // the worker has ended: any other box would have been seen
    const auto seen = boxes.Boxes();
    EXPECT_EQ(seen.size(), 1u) << faults;
    if (seen.empty())
        return {};
    EXPECT_EQ(seen[0].caption, u8"탈로 FREE");
    EXPECT_EQ(seen[0].icon, MsgBoxWatcher::ICON_STOP);
    EXPECT_EQ(seen[0].owner, host.dlg.m_hWnd);
    EXPECT_FALSE(host.dlg.IsWindowVisible()) << "IDCANCEL hides the install dialog";
    EXPECT_EQ(DownloadRequests().size(), expectedRequests) << "nothing after the failed file: " << faults;
    EXPECT_EQ(host.mainWnd.m_nSetupDone, 0);
    return seen[0];
}

} // namespace

TEST_F(DownloadWorker, MissingFileShowsItsPathAndStopsBeforeTheNextUrl)
{
    // Both the HTTP/1.1 and the HTTP/1.0 way of saying it.
    for (const char* version : {"HTTP/1.1", "HTTP/1.0"}) {
        const auto box = FailedRun(std::string("status=404&only=dbverify&version=") + version, 3);
        EXPECT_EQ(box.text, u8"설치할 파일을 찾을 수 없습니다. - /data/20080301/dbverify.dat");
        EXPECT_FALSE(Exists(ProductDir() + "\\dbverify.dat")) << "a 404 page is not a file";
    }
    EXPECT_TRUE(ReadBytes(SetupRecordFile()).empty()) << "setup was not started";
}

TEST_F(DownloadWorker, BrokenTransfersAreNetworkErrorsAndStoreNothing)
{
    // Announced longer than sent, then closed; a reply without any length; a cut header.
    for (const char* faults : {"length=100000&only=cvspdf", "length_field=none&only=cvspdf",
                               "close_after=30&only=cvspdf"}) {
        const auto box = FailedRun(faults, 4);
        EXPECT_EQ(box.text, u8"네트웍 에러가 발생하였습니다. 설치를 다시 시도해 주세요.") << faults;
        EXPECT_FALSE(Exists(ProductDir() + "\\cvspdf.lst")) << faults;
    }
}

TEST_F(DownloadWorker, UnreachableServerEndsSilently)
{
    MsgBoxWatcher boxes;
    InstallHost host;
    for (const char* url : {"no-slash-means-no-host", "host.invalid/data/x/cvxpdf.lst"}) {
        host.dlg.m_DownloadList.RemoveAll();
        host.dlg.m_DownloadList.AddTail(url);
        host.dlg.m_pDownloadList = &host.dlg.m_DownloadList;
        ASSERT_TRUE(host.RunWorker(30000)) << url;
    }
    // Without a plan there is nothing to share the bar among and nothing to start.
    host.dlg.m_DownloadList.RemoveAll();
    ASSERT_TRUE(host.RunWorker(5000));
    host.dlg.m_pDownloadList = nullptr;
    ASSERT_TRUE(host.RunWorker(5000));
    PumpPending();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(host.dlg.IsWindowVisible());
    EXPECT_EQ(host.mainWnd.m_nSetupDone, 0);
}

TEST_F(DownloadWorker, FileThatCannotBeCreatedStopsTheWorker)
{
    // A folder where the list should go can be neither deleted nor opened as a file.
    const std::string blocker = ProductDir() + "\\cvspdf.lst";
    ASSERT_TRUE(::CreateDirectoryA(blocker.c_str(), nullptr));
    const auto box = FailedRun("only=nothing", 4);
    ::RemoveDirectoryA(blocker.c_str());
    EXPECT_EQ(box.text, u8"설치에 필요한 파일을 만들 수 없습니다.\r\n다시 시도해주세요.");
    for (const std::string& name : ProductDirAside::Contents(ProductDir()))
        EXPECT_NE(name.substr(0, 3), "~tl") << "a temporary file is left";
    EXPECT_TRUE(ReadBytes(SetupRecordFile()).empty()) << "a stale setup program must not start";
}

// Which files the check refuses is PublisherTest's; here, what follows a refusal.
TEST_F(DownloadWorker, ASetupProgramWithoutTheVendorsSignatureIsDeletedAndNotStarted)
{
    if (!*VENDOR_KEY_PINS)
        GTEST_SKIP() << "built without pins";
    const auto box = FailedRun("only=TLFreeSetup&file=payloads/impostor-TLFreeSetup.exe", 6);
    EXPECT_EQ(box.text, u8"내려받은 설치 파일을 확인할 수 없습니다.\n\n다시 시도해 주세요.");
    EXPECT_FALSE(Exists(SetupPath())) << "it is deleted";
    EXPECT_TRUE(ReadBytes(SetupRecordFile()).empty()) << "no setup program was started";
}

TEST_F(DownloadWorker, ProgressMovesThroughALargeSlowFile)
{
    // The setup program arrives at about 1 MB/s, so the bar is seen moving within its share.
    StandinGet("/_control/set?rate=1000000&only=TLFreeSetup");
    InstallHost host;
    host.Plan(OSKIND_XP_PRO);
    ASSERT_TRUE(host.RunWorker(60000));
    EXPECT_EQ(host.mainWnd.m_nSetupDone, 1);
    int within = 0;
    for (int pos : host.positions)
        within += pos > 0 && pos < PROGRESS_UNITS / 6;
    EXPECT_GE(within, 2) << "positions inside the first file's share";
    EXPECT_EQ(host.positions.back(), PROGRESS_UNITS);
}

namespace {

class PartnerLibrary : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        aside = std::make_unique<ProductDirAside>();
        ::CreateDirectoryA(ProductDir().c_str(), nullptr);
    }
    void TearDown() override
    {
        aside.reset();
        DownloadTest::TearDown();
    }
    static std::string Library() { return ProductDir() + "\\VestaINet.dll"; }
    std::unique_ptr<ProductDirAside> aside;
};

} // namespace

TEST_F(PartnerLibrary, StoredInTheProductFolderWhichIsMadeIfMissing)
{
    std::ofstream(Library(), std::ios::binary) << "old library";
    ::SetFileAttributesA(Library().c_str(), FILE_ATTRIBUTE_READONLY);
    InstallHost host;
    host.dlg.OsKind = OSKIND_XP_PRO;
    MsgBoxWatcher boxes;
    EXPECT_EQ(host.dlg.DownloadPartnerLibrary(), 1);
    EXPECT_EQ(ReadBytes(Library()), ServedFile("/tlfree/data/VestaINet.dll"));
    EXPECT_EQ(DownloadRequests(), std::vector<std::string>{"/tlfree/data/VestaINet.dll"});

    RemoveFile(Library());
    ::RemoveDirectoryA(ProductDir().c_str());
    ASSERT_FALSE(Exists(ProductDir()));
    EXPECT_EQ(host.dlg.DownloadPartnerLibrary(), 1);
    EXPECT_EQ(ProductDirAside::Contents(ProductDir()), std::vector<std::string>{"VestaINet.dll"});
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Any failed fetch is told and stops the check: a copy from an earlier
// download may be outdated, and it is never replaced by a partial one.
TEST_F(PartnerLibrary, EveryFailedFetchIsReportedAndKeepsTheOldFileUnused)
{
    std::ofstream(Library(), std::ios::binary) << "library from an earlier download";
    InstallHost host;
    host.dlg.OsKind = OSKIND_XP_PRO;
    // Missing, announced longer than sent, cut off, without a length, empty, not a library.
    const char* faults[] = {"missing=VestaINet", "length=999999", "close_after=20", "length_field=none", "length=0",
                            "length=100"};
    for (const char* fault : faults) {
        StandinGet("/_control/reset");
        StandinGet(std::string("/_control/set?") + fault);
        MsgBoxWatcher boxes;
        host.dlg.ShowWindow(SW_SHOW);
        host.dlg.StartPartnerCheck();
        ASSERT_TRUE(boxes.WaitForBoxes(1, 5000)) << fault;
        // The box is modal on this thread: with it answered, the sequence has gone on.
        EXPECT_FALSE(host.dlg.IsWindowVisible()) << fault;
        EXPECT_FALSE(host.dlg.IsWorkerRunning()) << fault;
        const auto seen = boxes.Boxes();
        EXPECT_EQ(seen.size(), 1u) << fault;
        EXPECT_EQ(seen[0].text, u8"설치에 필요한 파일을 다운로드할 수 없습니다.\r\n설치를 다시 시도해 주세요.");
        EXPECT_EQ(seen[0].caption, u8"탈로 FREE");
        EXPECT_EQ(seen[0].icon, MsgBoxWatcher::ICON_STOP);
        EXPECT_EQ(seen[0].owner, host.dlg.m_hWnd);
        EXPECT_EQ(ReadBytes(Library()), "library from an earlier download") << fault;
        EXPECT_EQ(ProductDirAside::Contents(ProductDir()), std::vector<std::string>{"VestaINet.dll"}) << fault;
    }
}
