// Downloads that cannot be turned against the machine: what the web service
// names cannot move a file out of its place, the setup program cannot be
// swapped before it starts, a file that fails never damages the one before
// it, and no server holds the visitor's window for long.
#include "support/Download.h"

#include "BuildConfig.h"
#include "framework/Socket.h"
#include "net/FilePlacement.h"
#include "net/HttpExchange.h"
#include "net/WebClient.h"
#include "support/Screen.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <fstream>
#include <thread>

using namespace dltest;
using namespace testsupport;

namespace {

const char kCannotCreate[] = u8"설치에 필요한 파일을 만들 수 없습니다.\r\n다시 시도해주세요.";
const char kNetworkError[] = u8"네트웍 에러가 발생하였습니다. 설치를 다시 시도해 주세요.";
const char kPartnerFailed[] = u8"설치에 필요한 파일을 다운로드할 수 없습니다.\r\n설치를 다시 시도해 주세요.";
const char kUnverified[] = u8"내려받은 설치 파일을 확인할 수 없습니다.\n\n다시 시도해 주세요.";

// The process's peak address space as Windows counts it.
SIZE_T PeakVirtualSize()
{
    struct {
        SIZE_T PeakVirtualSize, VirtualSize;
        ULONG PageFaultCount;
        SIZE_T rest[8];
    } counters{};
    typedef LONG(WINAPI * QueryFn)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    query(::GetCurrentProcess(), 3 /* ProcessVmCounters */, &counters, sizeof(counters), nullptr);
    return counters.PeakVirtualSize;
}

// What another program of the visitor would try on the setup program.
struct SwapAttempt {
    bool tried = false;
    bool openedForWriting = false;
    bool deleted = false;
    bool replaced = false;
    uint64_t sizeThen = 0;
};

SwapAttempt TrySwap(const std::string& path, const std::string& evil)
{
    SwapAttempt a;
    a.tried = true;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        a.sizeThen = data.nFileSizeLow;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    a.openedForWriting = h != INVALID_HANDLE_VALUE;
    if (a.openedForWriting)
        ::CloseHandle(h);
    a.deleted = ::DeleteFileA(path.c_str()) != FALSE;
    a.replaced = ::MoveFileExA(evil.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    return a;
}

std::string g_evil;
std::string g_launchPath;
SwapAttempt g_atLaunch;

// The launch hook: runs on the worker; the attempt comes from a thread of its own.
void SwapBeforeLaunch(const char* pszPath)
{
    g_launchPath = pszPath;
    std::thread other([&] { g_atLaunch = TrySwap(g_launchPath, g_evil); });
    other.join();
}

// The account entries of a folder's access list: SID and inheritance of each.
struct Entry {
    std::string sid;
    DWORD mask;
    BYTE flags;
};

std::vector<Entry> AccessList(PSECURITY_DESCRIPTOR sd, bool& isProtected)
{
    std::vector<Entry> entries;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(sd, &control, &revision);
    isProtected = (control & SE_DACL_PROTECTED) != 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    if (!::GetSecurityDescriptorDacl(sd, &present, &acl, &defaulted) || !present || !acl)
        return entries;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!::GetAce(acl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        char* text = nullptr;
        typedef BOOL(WINAPI * ToStringFn)(PSID, char**);
        const auto toString = reinterpret_cast<ToStringFn>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleA("advapi32.dll"), "ConvertSidToStringSidA")));
        if (toString && toString(&ace->SidStart, &text)) {
            entries.push_back({text, ace->Mask, ace->Header.AceFlags});
            ::LocalFree(text);
        }
    }
    return entries;
}

class SafeDownload : public DownloadTest {
protected:
    void TearDown() override
    {
        CInstallDlg::s_pfnBeforeLaunchForTest = nullptr;
        DownloadTest::TearDown();
    }

    // Runs the worker for Windows XP Professional with the stand-in's faults and returns
    // the one message the visitor saw; nothing may have been started.
    std::string FailedRun(InstallHost& host, const std::string& faults)
    {
        StandinGet("/_control/set?" + faults);
        MsgBoxWatcher boxes;
        EXPECT_TRUE(host.RunWorker(60000)) << faults;
        EXPECT_TRUE(boxes.WaitForBoxes(1, 5000)) << faults;
        // The worker has ended: a start would have been announced by now.
        PumpPending();
        const auto seen = boxes.Boxes();
        EXPECT_EQ(seen.size(), 1u) << faults;
        EXPECT_EQ(host.mainWnd.m_nSetupDone, 0);
        EXPECT_TRUE(ReadBytes(SetupRecordFile()).empty()) << "nothing was started";
        return seen.empty() ? std::string() : seen[0].text;
    }
};

// Files the placement left behind under a temporary name.
std::vector<std::string> Leftovers(const std::string& dir)
{
    std::vector<std::string> names;
    for (const std::string& name : ProductDirAside::Contents(dir))
        if (name.rfind("~tl", 0) == 0)
            names.push_back(name);
    return names;
}

} // namespace

TEST_F(SafeDownload, TheSetupProgramCannotBeSwappedBetweenWriteAndLaunch)
{
    g_evil = TempDir() + "evil-setup.exe";
    std::ofstream(g_evil, std::ios::binary) << "not the vendor's program";
    CInstallDlg::s_pfnBeforeLaunchForTest = &SwapBeforeLaunch;
    g_atLaunch = SwapAttempt();
    // About three seconds for the setup program: the attempt meets it half written.
    StandinGet("/_control/set?rate=100000&only=TLFreeSetup");
    const std::string served = ServedFile("/tlfree/win2000/2.0.2000/TLFreeSetup.exe");

    SwapAttempt whileWritten;
    std::thread attacker([&] {
        const DWORD start = ::GetTickCount();
        for (std::string path; ::GetTickCount() - start < 20000; ::Sleep(10)) {
            path = SetupPath();
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (!path.empty() && ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
                data.nFileSizeLow > 0) {
                whileWritten = TrySwap(path, g_evil);
                return;
            }
        }
    });
    InstallHost host;
    host.Plan(OSKIND_XP_PRO);
    const bool ended = host.RunWorker(60000);
    attacker.join();
    ASSERT_TRUE(ended);

    ASSERT_TRUE(whileWritten.tried);
    EXPECT_LT(whileWritten.sizeThen, served.size()) << "the attempt came while the file was written";
    EXPECT_FALSE(whileWritten.openedForWriting || whileWritten.deleted || whileWritten.replaced);
    ASSERT_TRUE(g_atLaunch.tried);
    EXPECT_FALSE(g_atLaunch.openedForWriting || g_atLaunch.deleted || g_atLaunch.replaced);

    // Ours was started, from its own folder, and is still what the server sent.
    const std::string path = SetupPath();
    EXPECT_EQ(g_launchPath, path);
    const std::string folder = path.substr(0, path.rfind('\\'));
    EXPECT_EQ(folder.substr(0, TempDir().size() + 2), TempDir() + "tl");
    const std::string record = WaitForSetupRecord(10000);
    EXPECT_NE(record.find("path=" + path + "\r\n"), std::string::npos) << record;
    EXPECT_NE(record.find("cwd=" + folder + "\r\n"), std::string::npos) << record;
    EXPECT_EQ(ReadBytes(path), served);

    ::DeleteFileA(g_evil.c_str());
}

// Wine keeps no access list of a file (it makes Unix permissions of it), so
// the list is read from the descriptor the folder is created with.
TEST_F(SafeDownload, ThePrivateFolderIsForAdministratorsAndSystemOnly)
{
    CPrivateSecurity security;
    ASSERT_TRUE(security.Build());
    EXPECT_EQ(security.Attributes()->lpSecurityDescriptor, security.Descriptor());
    EXPECT_FALSE(security.Attributes()->bInheritHandle);
    EXPECT_TRUE(::IsValidSecurityDescriptor(security.Descriptor()));
    bool isProtected = false;
    const std::vector<Entry> entries = AccessList(security.Descriptor(), isProtected);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].sid, "S-1-5-32-544");
    EXPECT_EQ(entries[1].sid, "S-1-5-18");
    for (const Entry& e : entries) {
        EXPECT_EQ(e.mask, static_cast<DWORD>(FILE_ALL_ACCESS));
        EXPECT_EQ(e.flags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    }
    EXPECT_TRUE(isProtected) << "nothing inherited from the temporary folder";
}

TEST_F(SafeDownload, EachRunHasAFolderOfItsOwn)
{
    CString first, second;
    ASSERT_TRUE(CreatePrivateFolder(TempDir().c_str(), first));
    ASSERT_TRUE(CreatePrivateFolder(TempDir().c_str(), second));
    EXPECT_NE(first, second);
    EXPECT_EQ(first.Right(1), "\\");
    ::RemoveDirectoryA(first);
    ::RemoveDirectoryA(second);
}

TEST_F(SafeDownload, AnOverLongTemporaryFolderStopsBeforeAnyDownload)
{
    char cwd[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, cwd);
    const std::string relative = std::string(cwd) + "\\Tempcr.exe";
    const std::string temp = TempDir();
    char oldTmp[MAX_PATH] = {}, oldTemp[MAX_PATH] = {};
    ::GetEnvironmentVariableA("TMP", oldTmp, MAX_PATH);
    ::GetEnvironmentVariableA("TEMP", oldTemp, MAX_PATH);
    const std::string tooLong = "C:\\" + std::string(300, 't');
    ::SetEnvironmentVariableA("TMP", tooLong.c_str());
    ::SetEnvironmentVariableA("TEMP", tooLong.c_str());
    std::string text;
    {
        InstallHost host;
        host.Plan(OSKIND_XP_PRO);
        text = FailedRun(host, "only=nothing");
    }
    ::SetEnvironmentVariableA("TMP", *oldTmp ? oldTmp : nullptr);
    ::SetEnvironmentVariableA("TEMP", *oldTemp ? oldTemp : nullptr);
    ASSERT_EQ(TempDir(), temp);
    EXPECT_EQ(text, kCannotCreate);
    EXPECT_TRUE(DownloadRequests().empty());
    EXPECT_FALSE(Exists(relative)) << "nothing written to the current folder";
}

TEST_F(SafeDownload, AGigabyteAnnouncementIsRefusedWithoutAllocatingIt)
{
    const std::string list = ProductDir() + "\\cvspdf.lst";
    std::ofstream(list, std::ios::binary) << "the good list from before";
    const SIZE_T before = PeakVirtualSize();
    InstallHost host;
    host.Plan(OSKIND_XP_PRO);
    EXPECT_EQ(FailedRun(host, "length=1073741824&only=cvspdf"), kNetworkError);
    EXPECT_LT(PeakVirtualSize() - before, SIZE_T(256) << 20) << "memory was reserved for the announced body";
    EXPECT_EQ(ReadBytes(list), "the good list from before");
    EXPECT_TRUE(Leftovers(ProductDir()).empty());
}

// The driver becomes the machine's Access driver: an empty one, or one that
// is not the pinned driver, stops the installation before it is placed.
TEST_F(SafeDownload, AnEmptyOrUnpinnedDriverIsRefusedAndNeverRegistered)
{
    const std::string driver = SystemDir() + "\\odbcjt32.dll";
    ASSERT_FALSE(Exists(driver));
    // With a pin, an empty driver is just another file that is not the pinned one.
    const bool pinned = *ODBC_DRIVER_SHA256;
    std::vector<std::pair<std::string, std::string>> faults = {
        {"length=0&only=ODBCJT32", pinned ? kUnverified : kNetworkError}};
    if (pinned)
        faults.push_back({"only=ODBCJT32&file=payloads/unpinned-ODBCJT32.DLL", kUnverified});
    for (const auto& fault : faults) {
        odbc.Remove();
        StandinGet("/_control/reset");
        InstallHost host;
        host.Plan(OSKIND_XP_PRO);
        ASSERT_EQ(host.dlg.m_DownloadList.GetCount(), 7);
        EXPECT_EQ(FailedRun(host, fault.first), fault.second);
        EXPECT_FALSE(Exists(driver)) << fault.first;
        EXPECT_EQ(odbc.Get("Driver"), "<no key>") << fault.first;
        EXPECT_TRUE(Leftovers(SystemDir()).empty()) << fault.first;
    }
    RemoveFile(driver);
}

namespace {

// A disk that gives out in the middle of a file: the placement's handle
// loses its write access, so its next WriteFile fails as on a full disk.
class GivingOutFile : public CPlacedFile {
public:
    using CPlacedFile::CPlacedFile;
    void GiveOut()
    {
        HANDLE readOnly = ::CreateFileA(m_strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
        ::CloseHandle(m_hFile);
        m_hFile = readOnly;
    }
};

} // namespace

TEST_F(SafeDownload, AWriteFailureLeavesTheOldFileIntact)
{
    const std::string list = ProductDir() + "\\cvxpdf.lst";
    std::ofstream(list, std::ios::binary) << "the good list from before";
    std::string temporary;
    {
        GivingOutFile file(list.c_str(), DownloadKind::DataFile);
        ASSERT_TRUE(file.IsOpen());
        temporary = file.Path().str();
        EXPECT_EQ(temporary.substr(0, ProductDir().size() + 4), ProductDir() + "\\~tl") << "beside its destination";
        ASSERT_TRUE(file.Begin(20));
        ASSERT_TRUE(file.Write("a new ", 6));
        file.GiveOut();
        EXPECT_FALSE(file.Write("list of 20", 10));
        EXPECT_EQ(ReadBytes(list), "the good list from before");
    }
    EXPECT_FALSE(Exists(temporary));
    EXPECT_EQ(ReadBytes(list), "the good list from before");
    EXPECT_TRUE(Leftovers(ProductDir()).empty());
}

TEST_F(SafeDownload, WithoutMoveFileExTheOldFileIsBackWhenTheNewOneCannotTakeItsName)
{
    const std::string dir = TempDir() + "renames-test";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string old = dir + "\\list.lst", fresh = dir + "\\new.tmp";
    std::ofstream(old, std::ios::binary) << "old";
    std::ofstream(fresh, std::ios::binary) << "new";
    EXPECT_TRUE(ReplaceWithRenames(fresh.c_str(), old.c_str()));
    EXPECT_EQ(ReadBytes(old), "new");
    EXPECT_EQ(ProductDirAside::Contents(dir), std::vector<std::string>{"list.lst"});

    EXPECT_FALSE(ReplaceWithRenames((dir + "\\missing.tmp").c_str(), old.c_str()));
    EXPECT_EQ(ReadBytes(old), "new");
    EXPECT_EQ(ProductDirAside::Contents(dir), std::vector<std::string>{"list.lst"});

    std::ofstream(fresh, std::ios::binary) << "first";
    EXPECT_TRUE(ReplaceWithRenames(fresh.c_str(), (dir + "\\first.lst").c_str()));
    EXPECT_EQ(ReadBytes(dir + "\\first.lst"), "first");
    for (const std::string& name : ProductDirAside::Contents(dir))
        RemoveFile(dir + "\\" + name);
    ::RemoveDirectoryA(dir.c_str());
}

TEST_F(SafeDownload, ASegmentNamingTheDriverOrTheSetupProgramIsAFailedSignIn)
{
    for (const char* fields : {"x/ODBCJT32.DLL|20080301|20080301", "20080301|../../mdb|20080301",
                               "20080301|20080301|TLFreeSetup.exe/x"}) {
        StandinSwitches(std::string("info_reply=OK|gvx|T0K3N|tlfree|tlfree|1|2.0.98|2.0.2000|2.0.vista|") + fields +
                        "|end");
        MsgBoxWatcher boxes;
        InstallHost host;
        host.dlg.OsKind = OSKIND_XP_PRO;
        host.dlg.m_strCookieUserId = "kim01";
        host.dlg.RunInstallation();
        ASSERT_TRUE(boxes.WaitForBoxes(1, 10000)) << fields;
        PumpPending(); // the sequence has handled the sign-in's result
        EXPECT_EQ(boxes.Boxes()[0].text, u8"인증에 실패 하였습니다.\n\n다시 시도해 주세요.") << fields;
        EXPECT_EQ(host.dlg.m_bSignedIn, 0);
        EXPECT_TRUE(host.dlg.m_DownloadList.IsEmpty());
        EXPECT_TRUE(DownloadRequests().empty()) << fields;
        EXPECT_FALSE(Exists(SystemDir() + "\\odbcjt32.dll"));
    }
    StandinSwitches("");
}

// A service that goes silent fails the request at its bound; one that
// trickles fails both once a window has passed with less than a kilobyte.
TEST_F(SafeDownload, WebServiceRequestsGiveUpOnASilentOrTricklingService)
{
    const HttpTimeouts shipped = CWebClient::s_timeouts;
    EXPECT_EQ(shipped.connectMs, 15000u);
    EXPECT_EQ(shipped.headerMs, 30000u);
    EXPECT_EQ(shipped.lowSpeedWindowMs, 30000u);
    EXPECT_EQ(shipped.totalMs, 60000u);
    CWebClient::s_timeouts.connectMs = 1000;
    CWebClient::s_timeouts.headerMs = 1500;
    CWebClient::s_timeouts.lowSpeedWindowMs = 1500;
    CInstallDlg dlg;
    dlg.OsKind = OSKIND_XP_PRO;
    CWebClient client;
    const auto within = [](DWORD ms, const std::function<bool()>& failed) {
        const DWORD start = ::GetTickCount();
        return failed() && ::GetTickCount() - start < ms;
    };
    StandinSwitches("join_delay_ms=10000&info_delay_ms=10000");
    EXPECT_TRUE(within(7000, [&] { return client.QueryNumber("tlfree/join.php?UserId=x") == WEB_REQUEST_FAILED; }));
    EXPECT_TRUE(within(7000, [&] { return !dlg.SignIn(); }));
    StandinSwitches("info_chunk=2&info_chunk_ms=300&join_chunk=2&join_chunk_ms=300&join_size=600");
    EXPECT_TRUE(within(6000, [&] { return !dlg.SignIn(); }));
    EXPECT_TRUE(within(6000, [&] { return client.QueryNumber("tlfree/join.php?UserId=x") == WEB_REQUEST_FAILED; }));

    // A reply at an honest pace is read whole.
    CWebClient::s_timeouts = shipped;
    StandinSwitches("info_chunk=20&info_chunk_ms=100");
    EXPECT_TRUE(dlg.SignIn());
    StandinSwitches("");
}

namespace {

// Takes nothing: accepts nothing, and once its queue is full further
// connection attempts go unanswered.
struct FullListener {
    FullListener()
    {
        AfxSocketInit();
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(a);
        ::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof(a));
        ::listen(listener, 0);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
        port = ntohs(a.sin_port);
        for (int i = 0; i < 16; ++i) {
            SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
            u_long nonBlocking = 1;
            ::ioctlsocket(s, FIONBIO, &nonBlocking);
            ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
            queued.push_back(s);
            fd_set writable;
            FD_ZERO(&writable);
            FD_SET(s, &writable);
            timeval wait{0, 200000};
            if (::select(0, nullptr, &writable, nullptr, &wait) == 0)
                break; // this one waits: the queue is full
        }
    }
    ~FullListener()
    {
        for (SOCKET s : queued)
            ::closesocket(s);
        ::closesocket(listener);
    }
    SOCKET listener;
    UINT port = 0;
    std::vector<SOCKET> queued;
};

struct NoBody : CBodySink {
    bool Begin(uint64_t) override { return true; }
    bool Write(const char*, size_t) override { return true; }
};

} // namespace

TEST(SafeDownloadConnect, APeerThatNeverAnswersIsUnreachableWithinTheConnectBound)
{
    EXPECT_EQ(HttpTimeouts().connectMs, 15000u) << "the shipped bound";
    const FullListener peer;
    HttpTimeouts timeouts;
    timeouts.connectMs = 700;
    NoBody sink;
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(HttpGetFile("127.0.0.1/x", peer.port, sink, HttpProgress(), timeouts).outcome, HttpOutcome::Unreachable);
    const DWORD spent = ::GetTickCount() - start;
    EXPECT_GE(spent, 600u);
    EXPECT_LT(spent, 3000u);
}

namespace {

// Asks a window from a thread of its own, all along, allowing it a second
// each time, and keeps the longest time it went unanswered.
class Asker {
public:
    explicit Asker(HWND hWnd)
        : m_thread([this, hWnd] {
              while (!m_done) {
                  const DWORD start = ::GetTickCount();
                  DWORD_PTR result = 0;
                  if (!::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result))
                      ++m_unanswered;
                  m_longest = std::max<DWORD>(m_longest, ::GetTickCount() - start);
                  ::Sleep(20); // pacing, so the asker does not crowd the window's own messages
              }
              m_stopped = true;
          })
    {
    }
    ~Asker()
    {
        m_done = true;
        PumpUntil([&] { return m_stopped.load(); }, 5000); // its last question may wait on this thread
        m_thread.join();
    }
    DWORD Longest() const { return m_longest; }
    int Unanswered() const { return m_unanswered; }

private:
    std::atomic<bool> m_done{false}, m_stopped{false};
    std::atomic<DWORD> m_longest{0};
    std::atomic<int> m_unanswered{0};
    std::thread m_thread;
};

const char kDripChild[] = "TALLOW_DRIP_CHILD";

class DripChild : public DownloadTest {
protected:
    void SetUp() override
    {
        if (!std::getenv(kDripChild))
            GTEST_SKIP() << "runs only in the child started by Drip.RunsWithWindowsPlacedAsOnWindows";
        DownloadTest::SetUp();
        aside = std::make_unique<ProductDirAside>();
        ::CreateDirectoryA(ProductDir().c_str(), nullptr);
    }
    void TearDown() override
    {
        CInstallDlg::s_partnerLibraryTimeouts = partnerShipped;
        CWebClient::s_timeouts = webShipped;
        aside.reset();
        DownloadTest::TearDown();
    }
    std::unique_ptr<ProductDirAside> aside;
    const HttpTimeouts partnerShipped = CInstallDlg::s_partnerLibraryTimeouts;
    const HttpTimeouts webShipped = CWebClient::s_timeouts;
};

} // namespace

// The window's answers are timed with Wine's windows unmanaged, as on
// Windows (see UnmanagedWindows); Wine reads that setting as a process
// starts, so the drips run in a child process.
TEST(Drip, RunsWithWindowsPlacedAsOnWindows)
{
    UnmanagedWindows unmanaged;
    EXPECT_EQ(RunTestsInChild("DripChild.*", kDripChild, 120000), 0u) << "see the child's output above";
}

// Servers that send 1,100 bytes every 25 s keep the low-speed rule (a
// kilobyte in every 30 s) for ever; each step ends at its own deadline with
// its own message, and the window answers throughout. Run at a tenth of the
// time: deadlines, window and drip shortened alike.
TEST_F(DripChild, EachNetworkStepEndsAtItsDeadlineWhileTheWindowAnswers)
{
    EXPECT_EQ(partnerShipped.totalMs, 120000u);
    EXPECT_EQ(partnerShipped.connectMs, 15000u);
    EXPECT_EQ(partnerShipped.headerMs, 30000u);
    for (HttpTimeouts* t : {&CInstallDlg::s_partnerLibraryTimeouts, &CWebClient::s_timeouts}) {
        t->connectMs = 1500;
        t->headerMs = 3000;
        t->lowSpeedWindowMs = 3000;
        t->totalMs /= 10;
    }

    struct Step {
        const char* name;
        const char* switches;
        DWORD deadline;
        const char* message;
        void (CInstallDlg::*start)();
    };
    const Step steps[] = {
        {"partner library", "chunk=1100&chunk_ms=2500&only=VestaINet", CInstallDlg::s_partnerLibraryTimeouts.totalMs,
         kPartnerFailed, &CInstallDlg::StartPartnerCheck},
        {"sign-in body", "info_chunk=1100&info_chunk_ms=2500&info_size=15000", CWebClient::s_timeouts.totalMs,
         u8"인증에 실패 하였습니다.\n\n다시 시도해 주세요.", &CInstallDlg::RunInstallation},
        {"join header", "join_chunk=1100&join_chunk_ms=2500&join_chunk_head=1&join_head_pad=15000",
         CWebClient::s_timeouts.totalMs, kCannotCreate, &CInstallDlg::RunInstallation},
    };
    for (const Step& step : steps) {
        StandinSwitches(step.switches);
        MsgBoxWatcher boxes;
        InstallHost host;
        host.dlg.OsKind = OSKIND_XP_PRO;
        host.dlg.m_strCookieUserId = "kim01";
        DWORD took = 0;
        DWORD longest = 0;
        int unanswered = 0;
        {
            Asker asker(host.dlg.m_hWnd);
            const DWORD start = ::GetTickCount();
            (host.dlg.*step.start)();
            EXPECT_TRUE(boxes.WaitForBoxes(1, step.deadline + 10000)) << step.name;
            took = ::GetTickCount() - start;
            longest = asker.Longest();
            unanswered = asker.Unanswered();
        }
        const auto seen = boxes.Boxes();
        ASSERT_EQ(seen.size(), 1u) << step.name;
        EXPECT_EQ(seen[0].text, step.message) << step.name;
        EXPECT_LT(took, step.deadline + 10000) << step.name;
        EXPECT_EQ(unanswered, 0) << step.name << ": the window went a second unanswered";
        std::printf("[ drip     ] %s: ended after %lu ms (deadline %lu ms), window unanswered for at most %lu ms\n",
                    step.name, took, step.deadline, longest);
        RecordProperty(std::string(step.name) + " longest unanswered ms", static_cast<int>(longest));
        PumpUntil([&] { return !host.dlg.IsInstalling() && !host.dlg.IsWorkerRunning(); }, 5000);
    }

    // Closing in the middle of a drip stops the step at once, and nothing is told.
    StandinSwitches(steps[1].switches);
    MsgBoxWatcher boxes;
    InstallHost host;
    host.dlg.m_strCookieUserId = "kim01";
    host.dlg.RunInstallation();
    ASSERT_TRUE(PumpUntil([] { return StandinLastRequest("path") == "/tl_free/install_info.php"; }, 3000));
    const DWORD asked = ::GetTickCount();
    EXPECT_TRUE(host.dlg.StopWorker(1500));
    EXPECT_LT(::GetTickCount() - asked, 1000u);
    PumpPending(); // the step's result, ignored
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(host.dlg.m_bSignedIn, 0);
    StandinSwitches("");
}
