// Starting the downloaded setup program through the shell: "open" with its
// failure message, "runas" without one, and the worker's choice by OsKind.
#include "support/Download.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace dltest;
using namespace testsupport;

namespace {

class LaunchSetup : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        stub = TempDir() + "LaunchStub.exe";
        ASSERT_TRUE(::CopyFileA((StandinRoot() + "\\tlfree\\win2000\\2.0.2000\\TLFreeSetup.exe").c_str(),
                                stub.c_str(), FALSE));
    }
    void TearDown() override
    {
        PumpUntil([&] { return ::DeleteFileA(stub.c_str()) || !Exists(stub); }, 5000);
        DownloadTest::TearDown();
    }
    std::string stub;
};

} // namespace

// The download worker's boxes: a box without an owner would open behind the
// two top-most windows, and the worker would wait on it unseen.
TEST_F(LaunchSetup, TheWorkersFailureBoxIsOwnedByTheInstallDialogOrElseTheMainWindow)
{
    MsgBoxWatcher boxes;
    InstallHost host;
    const std::string missing = TempDir() + "no-such-setup.exe";
    const auto fromWorker = [&] {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            host.dlg.LaunchSetup(missing.c_str(), "", TRUE);
            done = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 10000));
        worker.join();
        for (const auto& box : boxes.Boxes())
            if (box.text == "Open Failed!")
                return box.owner;
        return HWND();
    };
    EXPECT_EQ(fromWorker(), host.dlg.m_hWnd);
    boxes.Clear();
    host.dlg.ShowWindow(SW_HIDE);
    EXPECT_EQ(fromWorker(), host.mainWnd.m_hWnd);
}

TEST_F(LaunchSetup, OpenStartsTheProgramWithItsParametersAndShowCommand)
{
    MsgBoxWatcher boxes;
    InstallHost host;
    EXPECT_EQ(host.dlg.LaunchSetup(stub.c_str(), "/S /D=x y", TRUE), 1);
    std::string record = WaitForSetupRecord(10000);
    EXPECT_NE(record.find("path=" + stub + "\r\nargs=/S /D=x y\r\nshow=10\r\n"), std::string::npos) << record;

    RemoveFile(SetupRecordFile());
    EXPECT_EQ(host.dlg.LaunchSetup(stub.c_str(), "", FALSE), 1);
    record = WaitForSetupRecord(10000);
    EXPECT_NE(record.find("args=\r\nshow=0\r\n"), std::string::npos) << record;
    EXPECT_TRUE(boxes.Boxes().empty());
}

// The shell shows its own error box for a file it cannot start (no flag
// asks it not to); only the plain start adds ours.
TEST_F(LaunchSetup, OnlyThePlainStartReportsAFailure)
{
    MsgBoxWatcher boxes;
    InstallHost host;
    const auto ours = [&] {
        std::vector<MsgBoxWatcher::Box> found;
        for (const auto& box : boxes.Boxes())
            if (box.caption == u8"탈로 FREE")
                found.push_back(box);
        return found;
    };
    const std::string missing = TempDir() + "no-such-setup.exe";
    EXPECT_EQ(host.dlg.LaunchSetupElevated(missing.c_str(), "", TRUE), 1);
    PumpPending();
    // The plain start below is the sentinel: it reports exactly one box.
    EXPECT_TRUE(ours().empty()) << "a refused or failed elevation goes unreported";

    EXPECT_EQ(host.dlg.LaunchSetup(missing.c_str(), "", TRUE), 1);
    PumpUntil([&] { return !ours().empty(); }, 5000);
    const auto seen = ours();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Open Failed!");
    EXPECT_EQ(seen[0].icon, MsgBoxWatcher::ICON_NONE);
}

TEST_F(LaunchSetup, RunasStartsTheProgram)
{
    InstallHost host;
    EXPECT_EQ(host.dlg.LaunchSetupElevated(stub.c_str(), "", TRUE), 1);
    const std::string record = WaitForSetupRecord(10000);
    EXPECT_NE(record.find("path=" + stub + "\r\n"), std::string::npos) << record;
    EXPECT_NE(record.find("elevated=1"), std::string::npos) << record;
}

TEST_F(LaunchSetup, VistaRunElevatesTheDownloadedSetup)
{
    MsgBoxWatcher boxes;
    InstallHost host;
    host.Plan(OSKIND_VISTA);
    ASSERT_TRUE(host.RunWorker(30000));
    EXPECT_EQ(DownloadRequests().front(), "/tlfree/winvista/2.0.vista/TLFreeSetupVista.exe");
    EXPECT_EQ(host.mainWnd.m_nSetupDone, 1);
    const std::string record = WaitForSetupRecord(10000);
    EXPECT_NE(record.find("path=" + SetupPath() + "\r\n"), std::string::npos) << record;
    EXPECT_NE(record.find("elevated=1"), std::string::npos) << record;
    EXPECT_TRUE(boxes.Boxes().empty());
}
