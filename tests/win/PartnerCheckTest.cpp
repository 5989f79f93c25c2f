// The conflicting-filter check with the partner library's stand-in, fetched
// from the download stand-in as the installation fetches it: its answers, the
// messages, the calls it records and the debugger output line.
#include "account/PartnerCookie.h"
#include "BuildConfig.h"
#include "framework/File.h"
#include "install/InstallDlg.h"
#include "install/InstallPaths.h"
#include "support/Program.h"
#include "support/Screen.h"
#include "support/Standin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace testsupport;

namespace {

const char kConflict[] = u8"고객님의 pc에는 다른 유해 차단 제품이 설치되어 있습니다.\r\n\r\n"
                         u8"먼저 설치하신 프로그램을 삭제하신 후에 이 프로그램을 설치하시기 바랍니다.";
const char kCookieUnusable[] = u8"설치에 필요한 정보를 확인할 수 없습니다. \r\n\r\n다시 시도해주세요.";
const char kCaption[] = u8"탈로 Free";
const char kUnverified[] = u8"내려받은 설치 파일을 확인할 수 없습니다.\n\n다시 시도해 주세요.";

std::string ReadText(const std::string& path)
{
    std::string text;
    CFile file;
    if (file.Open(path.c_str(), CFile::modeRead)) {
        text.resize(static_cast<size_t>(file.GetLength()));
        if (!text.empty())
            text.resize(file.Read(&text[0], static_cast<UINT>(text.size())));
    }
    return text;
}

void WriteText(const std::string& path, const std::string& text)
{
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite)) << path;
    file.Write(text.data(), static_cast<UINT>(text.size()));
}

// Reads the debugger output as a debug monitor does: through the shared
// DBWIN buffer and its two events.
class DebugMonitor {
public:
    DebugMonitor()
        : m_bufferReady(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY")),
          m_dataReady(::CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY")),
          m_mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER")),
          m_view(static_cast<const char*>(::MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, 4096)))
    {
        m_thread = std::thread([this] {
            while (!m_stop) {
                ::SetEvent(m_bufferReady);
                if (::WaitForSingleObject(m_dataReady, 50) == WAIT_OBJECT_0) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_lines.emplace_back(m_view + sizeof(DWORD));
                }
            }
        });
    }
    ~DebugMonitor()
    {
        m_stop = true;
        m_thread.join();
        ::UnmapViewOfFile(m_view);
        for (HANDLE h : {m_mapping, m_dataReady, m_bufferReady})
            ::CloseHandle(h);
    }
    std::vector<std::string> Lines()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

private:
    HANDLE m_bufferReady;
    HANDLE m_dataReady;
    HANDLE m_mapping;
    const char* m_view;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::thread m_thread;
};

// The message box that owner owns.
HWND FindMessageBox(HWND owner)
{
    HWND box = nullptr;
    while ((box = ::FindWindowExA(nullptr, box, "#32770", nullptr)) && ::GetWindow(box, GW_OWNER) != owner) {
    }
    return box;
}

std::string ExeFolder()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    const std::string exe(path);
    return exe.substr(0, exe.rfind('\\') + 1);
}

// A library built with the tests (tools/partnerdll), signed with the pinned
// key when the build checks signatures (tools/standin/make-root.sh).
std::string BuiltLibrary(const char* name)
{
    if (*VENDOR_KEY_PINS)
        return StandinRoot() + "\\payloads\\sha256-" + name;
    return ExeFolder() + "tools\\partnerdll\\" + name;
}

class PartnerCheckWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        StandinSwitches("");
        // A fresh Wine prefix lacks the folder every Windows with a browser has.
        ::CreateDirectoryA(CInstallPaths().m_strWindowsDir + "\\Downloaded Program Files", nullptr);
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_log = std::string(temp) + "vestainet-calls.log";
        ::DeleteFileA(m_log.c_str());
        ::SetEnvironmentVariableA("VESTAINET_LOG", m_log.c_str());
        ::SetEnvironmentVariableA("VESTAINET_ANSWER", nullptr);
        ASSERT_TRUE(dlg.Create(IDD_INSTALL_DIALOG));
        dlg.OsKind = OSKIND_XP_PRO;
        dlg.m_strCookieField2 = "F2";
    }

    void TearDown() override
    {
        // The dialog keeps the library for the process; let the next test
        // replace the file.
        if (dlg.m_hPartnerLib)
            ::FreeLibrary(dlg.m_hPartnerLib);
        Serve(BuiltLibrary("VestaINet.dll"));
        dlg.DestroyWindow();
        ::SetEnvironmentVariableA("VESTAINET_LOG", nullptr);
        ::SetEnvironmentVariableA("VESTAINET_ANSWER", nullptr);
        ::DeleteFileA(m_log.c_str());
    }

    // The download stand-in hands out this file as the partner library.
    static void Serve(const std::string& file)
    {
        const std::string served = StandinRoot() + "\\tlfree\\data\\VestaINet.dll";
        ASSERT_TRUE(::CopyFileA(file.c_str(), served.c_str(), FALSE)) << file;
    }

    std::string Calls() const { return ReadText(m_log); }
    // What the installation does, here on one thread: the library fetched
    // unless an earlier check loaded it, then asked.
    BOOL Check() { return (dlg.m_hPartnerLib || dlg.DownloadPartnerLibrary()) && dlg.CheckConflictingFilter(); }

    CInstallDlg dlg;
    std::string m_log;
};

} // namespace

TEST_F(PartnerCheckWin, NoConflictGoesOnWithTheDebuggerLineAndOneRelease)
{
    MsgBoxWatcher watcher;
    DebugMonitor monitor;
    EXPECT_TRUE(Check());
    EXPECT_EQ(Calls(), "VestaISafeToRun F2\nVestaIReleaseLock\n");
    EXPECT_TRUE(PumpUntil(
        [&] {
            for (const auto& line : monitor.Lines())
                if (line == "VestaISafeToRun Return : 0")
                    return true;
            return false;
        },
        3000));
    EXPECT_TRUE(watcher.Boxes().empty());
}

TEST_F(PartnerCheckWin, AConflictIsShownBeforeTheLockIsReleased)
{
    for (const char* answer : {"1", "-1"}) {
        ::DeleteFileA(m_log.c_str());
        ::SetEnvironmentVariableA("VESTAINET_ANSWER", answer);
        // The box is left open (command 0) until the library's calls so far are read.
        MsgBoxWatcher watcher(0);
        std::string callsWhileShown;
        std::thread closer([&] {
            if (!watcher.WaitForBoxes(1, 10000))
                return;
            callsWhileShown = Calls();
            ::PostMessageA(FindMessageBox(dlg.m_hWnd), WM_COMMAND, IDOK, 0);
        });
        EXPECT_FALSE(Check()) << answer;
        closer.join();

        const auto boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), 1u) << answer;
        EXPECT_EQ(boxes[0].caption, kCaption);
        EXPECT_EQ(boxes[0].text, kConflict);
        EXPECT_EQ(boxes[0].icon, MsgBoxWatcher::ICON_STOP);
        EXPECT_EQ(boxes[0].owner, dlg.m_hWnd);
        EXPECT_EQ(callsWhileShown, "VestaISafeToRun F2\n") << answer;
        EXPECT_EQ(Calls(), "VestaISafeToRun F2\nVestaIReleaseLock\n") << answer;
    }
}

TEST_F(PartnerCheckWin, ASecondStartAsksTheLoadedLibraryAgain)
{
    dlg.m_strCookieField2 = ""; // passed as an empty text, not as a null pointer
    EXPECT_TRUE(Check());
    const HMODULE first = dlg.m_hPartnerLib;
    EXPECT_TRUE(Check());
    EXPECT_EQ(dlg.m_hPartnerLib, first);
    EXPECT_EQ(Calls(), "VestaISafeToRun \nVestaIReleaseLock\nVestaISafeToRun \nVestaIReleaseLock\n");
}

TEST_F(PartnerCheckWin, AFileThatIsNoLibraryIsRefusedOneWithoutTheExportsStopsSilently)
{
    // Not a library at all: refused before it takes the place of the one there.
    {
        MsgBoxWatcher watcher;
        const std::string library = CInstallPaths().m_strPartnerLibrary.str();
        dlg.DownloadPartnerLibrary();
        const std::string before = ReadText(library);
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        const std::string text = std::string(temp) + "not-a-library.txt";
        WriteText(text, "<html>this is no library</html>");
        Serve(text);
        dlg.StartPartnerCheck();
        ASSERT_TRUE(watcher.WaitForBoxes(1, 5000));
        ::DeleteFileA(text.c_str());
        EXPECT_EQ(watcher.Boxes()[0].text, u8"설치에 필요한 파일을 다운로드할 수 없습니다.\r\n설치를 다시 시도해 주세요.");
        EXPECT_EQ(ReadText(library), before);
        EXPECT_EQ(before.substr(0, 2), "MZ");
    }

    MsgBoxWatcher watcher;
    // A library without VestaIReleaseLock is not asked, and is let go.
    Serve(BuiltLibrary("VestaINetNoRelease.dll"));
    EXPECT_FALSE(Check());
    EXPECT_EQ(dlg.m_hPartnerLib, nullptr);
    EXPECT_EQ(Calls(), "");
    EXPECT_TRUE(watcher.Boxes().empty());

    // Released, so the next download can replace it and the check goes on.
    Serve(BuiltLibrary("VestaINet.dll"));
    EXPECT_TRUE(Check());
}

TEST_F(PartnerCheckWin, ALibraryWithoutTheVendorsSignatureIsDeletedAndNeverLoaded)
{
    if (!*VENDOR_KEY_PINS)
        GTEST_SKIP() << "built without pins";
    const std::string stored = CInstallPaths().m_strPartnerLibrary.str();
    // Which files the check refuses is PublisherTest's; here, what follows a refusal.
    {
        const char* kind = "impostor";
        MsgBoxWatcher watcher;
        Serve(StandinRoot() + "\\payloads\\" + kind + "-VestaINet.dll");
        EXPECT_FALSE(Check()) << kind;
        // Boxes are modal: with the check returned, every box it shows has been seen.
        ASSERT_TRUE(watcher.WaitForBoxes(1, 5000)) << kind;
        const auto boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), 1u) << kind;
        EXPECT_EQ(boxes[0].caption, u8"탈로 FREE");
        EXPECT_EQ(boxes[0].text, kUnverified);
        EXPECT_EQ(boxes[0].icon, MsgBoxWatcher::ICON_STOP);
        EXPECT_EQ(boxes[0].owner, dlg.m_hWnd);
        EXPECT_EQ(dlg.m_hPartnerLib, nullptr) << kind;
        EXPECT_EQ(::GetFileAttributesA(stored.c_str()), INVALID_FILE_ATTRIBUTES) << kind << " is deleted";
        EXPECT_EQ(Calls(), "") << kind << " was never asked";
    }
    // A library of the vendor's stored by an earlier run and changed on disk
    // since is never loaded when the new download fails: the failure, once
    // told, stops the check before anything is loaded.
    Serve(BuiltLibrary("VestaINet.dll"));
    EXPECT_TRUE(Check());
    ::FreeLibrary(dlg.m_hPartnerLib);
    dlg.m_hPartnerLib = nullptr;
    const std::string askedBefore = Calls();
    ASSERT_TRUE(::CopyFileA((StandinRoot() + "\\payloads\\tampered-VestaINet.dll").c_str(), stored.c_str(), FALSE));
    StandinSwitches("missing=VestaINet");
    MsgBoxWatcher watcher;
    dlg.StartPartnerCheck();
    ASSERT_TRUE(watcher.WaitForBoxes(1, 5000));
    PumpUntil([&] { return !dlg.IsWorkerRunning(); }, 5000);
    PumpPending(); // the sequence has gone on: any other box would have been seen
    ASSERT_EQ(watcher.Boxes().size(), 1u) << "the missing file only";
    EXPECT_EQ(watcher.Boxes()[0].text, u8"설치에 필요한 파일을 다운로드할 수 없습니다.\r\n설치를 다시 시도해 주세요.");
    EXPECT_EQ(dlg.m_hPartnerLib, nullptr);
    EXPECT_EQ(Calls(), askedBefore) << "the old copy was never asked";
}

TEST_F(PartnerCheckWin, TheCookiesFieldReachesTheLibrary)
{
    const CString folder = GetCookieFolder();
    ASSERT_FALSE(folder.IsEmpty());
    ASSERT_NE(folder, "none");
    ::CreateDirectoryA(folder, nullptr);
    const std::string cookie = folder.str() + "\\account@vestainet[1].txt";
    {
        MsgBoxWatcher watcher;
        ::DeleteFileA(cookie.c_str());
        EXPECT_FALSE(dlg.CheckPartnerCookie());
        ASSERT_TRUE(watcher.WaitForBoxes(1, 1000));
        const auto boxes = watcher.Boxes();
        EXPECT_EQ(boxes[0].caption, kCaption);
        EXPECT_EQ(boxes[0].text, kCookieUnusable);
        EXPECT_EQ(boxes[0].icon, MsgBoxWatcher::ICON_STOP);
        EXPECT_EQ(boxes[0].owner, dlg.m_hWnd);
        EXPECT_EQ(Calls(), "");
    }

    WriteText(cookie, "tlinfo\nF0&kim01&PX7&name&010\nvestainet.example/\n");
    EXPECT_TRUE(dlg.CheckPartnerCookie() && Check());
    ::DeleteFileA(cookie.c_str());
    EXPECT_EQ(Calls(), "VestaISafeToRun PX7\nVestaIReleaseLock\n");
}
