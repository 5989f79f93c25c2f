// The real program under Wine against the vendor stand-in: one installation
// per Windows family Wine can pretend to be, and the ways an installation
// stops. Each run starts the program as a new process (Wine reads the Windows
// version it pretends to be at process start), plays the visitor's download,
// and then looks at what the servers received, the files and registry values
// left behind, and the setup program that was started.
//
// The program is the one named by TALLOW_E2E_PROGRAM (the shipped 32-bit
// build, see tests/e2e/run32.sh), else the one beside this test program. A
// 32-bit program started from this 64-bit one is a WoW64 process: its
// HKLM\Software is the 32-bit registry view and its system folder lands in
// syswow64 on disk, so that is where its traces are looked for. The partner
// library stand-ins it downloads are the ones built beside it.
#include "account/InfoFiles.h"
#include "app/Messages.h"
#include "BuildConfig.h"
#include "support/Download.h"
#include "support/Screen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

using namespace testsupport;

namespace {

const char* const kNinexFiles[] = {"cvxpdf.lst", "dbverify.dat", "cvspdf.lst", "sdbverify.dat", "tflowprd.lst",
                                   "tlvestaInfo.dat", "tluinfo.dat", "cvbinfo.dat"};

std::string Folder(UINT (*query)(LPSTR, UINT))
{
    char buf[MAX_PATH] = {};
    query(buf, MAX_PATH);
    return buf;
}
std::string WindowsDir() { return Folder([](LPSTR p, UINT n) { return ::GetWindowsDirectoryA(p, n); }); }
// The system folder as the program names it.
std::string SystemDir() { return Folder([](LPSTR p, UINT n) { return ::GetSystemDirectoryA(p, n); }); }
std::string TempDir()
{
    char buf[MAX_PATH] = {}, longBuf[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, buf);
    ::GetLongPathNameA(buf, longBuf, MAX_PATH);
    return longBuf;
}
std::string ProductDir() { return WindowsDir() + "\\Downloaded Program Files\\wintl"; }

std::string Environment(const char* name)
{
    char value[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? value : "";
}

std::string Program()
{
    const std::string named = Environment("TALLOW_E2E_PROGRAM");
    return named.empty() ? ProgramBesideThis("TallowFreeInstall.exe") : named;
}
// A partner stand-in built with the program, signed with the pinned key
// ("sha256", "sha1" or "dual") where the build checks signatures
// (tools/standin/make-root.sh).
std::string PartnerLibrary(const char* name, const char* signing = "sha256")
{
    if (*VENDOR_KEY_PINS)
        return StandinRoot() + "\\payloads\\" + signing + "-" + name;
    const std::string program = Program();
    return program.substr(0, program.find_last_of('\\') + 1) + "tools\\partnerdll\\" + name;
}

// Whether the program runs as a 32-bit process beside this 64-bit one.
bool ProgramIsWow64()
{
    DWORD kind = 0;
    return sizeof(void*) == 8 && ::GetBinaryTypeA(Program().c_str(), &kind) && kind == SCS_32BIT_BINARY;
}
// The program's registry view of HKLM\Software, and where its system folder is on disk.
REGSAM ProgramView() { return ProgramIsWow64() ? KEY_WOW64_32KEY : 0; }
std::string SystemDirOnDisk()
{
    return ProgramIsWow64() ? Folder([](LPSTR p, UINT n) { return ::GetSystemWow64DirectoryA(p, n); }) : SystemDir();
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void RemoveFolder(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name != "." && name != "..") {
                ::SetFileAttributesA((dir + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA((dir + "\\" + name).c_str());
            }
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(dir.c_str());
}

std::vector<std::string> FolderEntries(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(fd.cFileName, ".") && strcmp(fd.cFileName, ".."))
            names.push_back(fd.cFileName);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return names;
}

void DeleteOdbcKey()
{
    const std::string key = ODBC_ACCESS_KEY;
    const size_t slash = key.rfind('\\');
    HKEY parent;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | ProgramView(),
                        &parent) != ERROR_SUCCESS)
        return;
    ::RegDeleteKeyA(parent, key.substr(slash + 1).c_str()); // in the view the parent was opened in
    ::RegCloseKey(parent);
}

// The download stand-in hands out this build of the partner library.
bool ServePartnerLibrary(const char* name, const char* signing = "sha256")
{
    return ::CopyFileA(PartnerLibrary(name, signing).c_str(),
                       (StandinRoot() + "\\tlfree\\data\\VestaINet.dll").c_str(), FALSE);
}

// The download stand-in hands out the setup programs signed this way.
bool ServeSetupPrograms(const char* signing)
{
    if (!*VENDOR_KEY_PINS)
        return true;
    bool served = true;
    for (const char* path : {"\\tlfree\\win98\\2.0.98\\TallowSetup98.exe", "\\tlfree\\win2000\\2.0.2000\\TLFreeSetup.exe",
                             "\\tlfree\\winvista\\2.0.vista\\TLFreeSetupVista.exe"}) {
        const std::string name = std::string(path).substr(std::string(path).rfind('\\') + 1);
        served &= ::CopyFileA((StandinRoot() + "\\payloads\\" + signing + "-" + name).c_str(),
                              (StandinRoot() + path).c_str(), FALSE) != FALSE;
    }
    return served;
}

struct Request {
    std::string server;
    std::string path;
};

std::string JsonField(const std::string& line, const std::string& name)
{
    const std::string key = "\"" + name + "\": \"";
    const size_t at = line.find(key);
    if (at == std::string::npos)
        return "";
    const size_t start = at + key.size();
    return line.substr(start, line.find('"', start) - start);
}

// What the stand-in received, without the browser's own page request.
std::vector<Request> Requests()
{
    std::vector<Request> requests;
    std::istringstream lines(StandinGet("/_control/requests"));
    for (std::string line; std::getline(lines, line);) {
        Request r{JsonField(line, "server"), JsonField(line, "path")};
        if (r.path != "/tlfree/TLuserInfo.php")
            requests.push_back(r);
    }
    return requests;
}

std::string CookieFolder()
{
    return RegString(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                     "Cookies");
}

// The partner site's cookie: line 1 its name, line 2 the value.
void WriteCookie(const std::string& folder)
{
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::ofstream out(folder + "\\visitor@vestainet[1].txt", std::ios::binary);
    out << "VESTAINET\n"
        << "PTN01&visitor01&SITE001&홍길동&010-1234-5678\n" // code page 949 bytes
        << "vestainet.co.kr/\n1536\n*\n";
}

std::string Texts(const std::vector<MsgBoxWatcher::Box>& boxes)
{
    std::string all;
    for (const auto& b : boxes)
        all += b.caption + " | " + b.text + "\n";
    return all;
}

struct Outcome {
    DWORD exitCode = STILL_ACTIVE;
    std::vector<MsgBoxWatcher::Box> boxes;
    bool installVisibleAtEnd = false;
    bool progressVisibleAtEnd = false;
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(StandinGet("/_control/reset"), "ok") << "run under run-wine.sh --standin";
        ::CreateDirectoryA((WindowsDir() + "\\Downloaded Program Files").c_str(), nullptr);
        RemoveLeftovers();
        m_record = TempDir() + "setup-started.txt";
        ::DeleteFileA(m_record.c_str());
        ::SetEnvironmentVariableA("TALLOW_SETUPSTUB_RECORD", m_record.c_str());
        ::SetEnvironmentVariableA("VESTAINET_LOG", (TempDir() + "vestainet.log").c_str());
        ::SetEnvironmentVariableA("VESTAINET_ANSWER", "0");
        ASSERT_TRUE(ServePartnerLibrary("VestaINet.dll")) << PartnerLibrary("VestaINet.dll");
    }
    // Other tests share the prefix: leave it as it was found.
    void TearDown() override
    {
        RemoveLeftovers();
        ::DeleteFileA(m_record.c_str());
        ServePartnerLibrary("VestaINet.dll");
        ServeSetupPrograms("sha256");
        for (const char* name : {"TALLOW_SETUPSTUB_RECORD", "VESTAINET_LOG", "VESTAINET_ANSWER"})
            ::SetEnvironmentVariableA(name, nullptr);
    }

    // What an installation leaves: the product folder, the 9x files, the
    // ODBC library and its registration, the cookie, the setup program.
    static void RemoveLeftovers()
    {
        RemoveFolder(ProductDir());
        for (const char* name : kNinexFiles)
            ::DeleteFileA((WindowsDir() + "\\" + name).c_str());
        ::DeleteFileA((SystemDirOnDisk() + "\\odbcjt32.dll").c_str());
        DeleteOdbcKey();
        for (const std::string& dir : {CookieFolder(), CookieFolder() + "\\Low"})
            ::DeleteFileA((dir + "\\visitor@vestainet[1].txt").c_str());
        dltest::RemovePrivateFolders();
        ::DeleteFileA((TempDir() + "vestainet.log").c_str());
    }

    // The program started and its main window shown.
    struct Running {
        PROCESS_INFORMATION pi{};
        std::unique_ptr<MsgBoxWatcher> watcher;
        HWND main = nullptr;
    };
    bool Start(Running& p, int answer = IDOK)
    {
        STARTUPINFOA si{sizeof(si)};
        std::string cmd = "\"" + Program() + "\"";
        if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &p.pi))
            return false;
        BOOL wow64 = FALSE;
        ::IsWow64Process(p.pi.hProcess, &wow64);
        EXPECT_EQ(wow64 != FALSE, ProgramIsWow64()) << "the process runs as the program file was built";
        p.watcher = std::make_unique<MsgBoxWatcher>(answer, p.pi.dwProcessId);
        // The window shows 8 s after the start, later on a loaded machine.
        return WaitUntil([&] { return (p.main = FindMainWindow(p.pi.dwProcessId)) && ::IsWindowVisible(p.main); },
                         45000);
    }
    // Closes a program still running (as the visitor would) and collects what happened.
    Outcome Finish(Running& p)
    {
        Outcome o;
        if (!HasEnded(p.pi.hProcess)) {
            // Settled: every message answered and gone, the main thread back
            // at its message loop (it answers a sent message only there), and
            // the install dialog hidden or showing no progress, as every run
            // that does not end by itself leaves it.
            HWND install = nullptr;
            WaitUntil(
                [&] {
                    install = FindInstallDialog(p.pi.dwProcessId);
                    DWORD_PTR answer = 0;
                    return !ShowsMessageBox(p.pi.dwProcessId) &&
                           ::SendMessageTimeoutA(p.main, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer) &&
                           (!install || !::IsWindowVisible(install) ||
                            !::IsWindowVisible(::GetDlgItem(install, 1001)));
                },
                10000);
            o.installVisibleAtEnd = install && ::IsWindowVisible(install);
            o.progressVisibleAtEnd = install && ::IsWindowVisible(::GetDlgItem(install, 1001));
            ::PostMessageA(p.main, WM_SYSCOMMAND, SC_CLOSE, 0);
            if (!WaitUntil([&] { return HasEnded(p.pi.hProcess); }, 10000))
                ::TerminateProcess(p.pi.hProcess, 99);
        }
        ::GetExitCodeProcess(p.pi.hProcess, &o.exitCode);
        o.boxes = p.watcher->Boxes();
        p.watcher.reset();
        ::CloseHandle(p.pi.hProcess);
        ::CloseHandle(p.pi.hThread);
        return o;
    }

    // Starts the program, starts the installation (as the browser's download
    // would) `starts` times, each time waiting until the program has ended or,
    // unless it is the last start of a run that ends by itself, a message has
    // been shown; `between` runs after each start has settled.
    Outcome Run(int starts = 1, const std::function<void(int)>& between = nullptr, bool endsByItself = true)
    {
        Running p;
        if (!Start(p)) {
            DWORD code = STILL_ACTIVE;
            if (p.pi.hProcess)
                ::GetExitCodeProcess(p.pi.hProcess, &code);
            ADD_FAILURE() << "the program did not start or show its window"
                          << (code == STILL_ACTIVE ? std::string(" (still running)")
                                                   : " (ended with exit code " + std::to_string(code) + ")")
                          << (p.watcher ? Texts(p.watcher->Boxes()) : std::string());
            if (p.pi.hProcess)
                ::TerminateProcess(p.pi.hProcess, 99);
            return Finish(p);
        }
        for (int i = 0; i < starts; ++i) {
            const size_t before = p.watcher->Boxes().size();
            ::PostMessageA(p.main, WM_SETUP_START, 1, 0);
            const bool last = i + 1 == starts;
            WaitUntil(
                [&] {
                    return HasEnded(p.pi.hProcess) ||
                           (p.watcher->Boxes().size() > before && !(last && endsByItself));
                },
                60000);
            if (between)
                between(i);
        }
        return Finish(p);
    }

    static bool ShowsMessageBox(DWORD pid)
    {
        return FindProcessWindow(pid, [](HWND h) {
                   char cls[16] = {};
                   ::GetClassNameA(h, cls, sizeof(cls));
                   return !strcmp(cls, "#32770") && ::IsWindowVisible(h) && ::GetDlgItem(h, 0xFFFF);
               }) != nullptr;
    }
    static bool HasEnded(HANDLE hProcess) { return ::WaitForSingleObject(hProcess, 0) == WAIT_OBJECT_0; }
    // How many recorded requests have `part` in their path.
    static int RequestCount(const char* part)
    {
        int n = 0;
        for (const Request& r : Requests())
            n += r.path.find(part) != std::string::npos;
        return n;
    }
    // How many times the setup stand-in was started.
    int SetupStarts() const
    {
        const std::string record = ReadAll(m_record);
        int n = 0;
        for (size_t at = 0; (at = record.find("path=", at)) != std::string::npos; ++at)
            ++n;
        return n;
    }
    // One sign-in, one join, one download of the setup program, one start of it.
    void ExpectOneInstallation()
    {
        EXPECT_EQ(RequestCount("install_info.php"), 1) << "signed in once";
        EXPECT_EQ(RequestCount("join.php"), 1) << "joined once";
        EXPECT_EQ(RequestCount("TLFreeSetup.exe"), 1) << "one worker downloaded";
        EXPECT_EQ(SetupStarts(), 1);
    }
    std::string Served(const std::string& urlPath)
    {
        std::string rel = urlPath;
        for (char& c : rel)
            c = c == '/' ? '\\' : c;
        return ReadAll(StandinRoot() + rel);
    }

    std::string m_record;
};

struct Family {
    const char* version;
    bool ninex;
    bool vista;
    const char* setupPath; // on the download server
    const char* versionDir;
    const char* partnerLibrary; // the build the download stand-in serves
    const char* signing;        // how the programs it serves are signed
};

class InstallOn : public EndToEnd, public ::testing::WithParamInterface<Family> {};

TEST_P(InstallOn, InstallsAndStartsTheSetupProgram)
{
    const Family& f = GetParam();
    WineVersion version(f.version);
    ASSERT_TRUE(ServePartnerLibrary(f.partnerLibrary, f.signing)) << f.partnerLibrary;
    ASSERT_TRUE(ServeSetupPrograms(f.signing)) << f.signing;
    WriteCookie(f.vista ? CookieFolder() + "\\Low" : CookieFolder());

    const Outcome o = Run();
    EXPECT_EQ(o.exitCode, 0u) << "ended by WM_SETUP_DONE";
    EXPECT_TRUE(o.boxes.empty()) << Texts(o.boxes);

    // The servers saw, in order: the partner library, the sign-in, the join,
    // the setup program, the five lists and (but on Vista) the ODBC library.
    const std::vector<Request> r = Requests();
    std::vector<std::string> expected = {"/tlfree/data/VestaINet.dll", "/tl_free/install_info.php", "join",
                                         f.setupPath,
                                         "/data/20080301/cvxpdf.lst", "/data/20080301/dbverify.dat",
                                         "/tlfree_sdata/20080301/cvspdf.lst", "/tlfree_sdata/20080301/sdbverify.dat",
                                         "/pldata/20080301/tflowprd.lst"};
    if (!f.vista)
        expected.push_back("/mdb/ODBCJT32.DLL");
    ASSERT_EQ(r.size(), expected.size());
    std::string machineId;
    for (size_t i = 0; i < r.size(); ++i) {
        if (expected[i] == "join") {
            EXPECT_EQ(r[i].server, "web");
            const std::string prefix = "/tlfree/join.php?UserId=visitor01&MacAddr=";
            ASSERT_EQ(r[i].path.compare(0, prefix.size(), prefix), 0) << r[i].path;
            const size_t end = r[i].path.find('&', prefix.size());
            machineId = r[i].path.substr(prefix.size(), end - prefix.size());
            EXPECT_EQ(r[i].path.substr(end), "&UserName=%C8%AB%B1%E6%B5%BF&Phone=010-1234-5678&Cooper=gvx");
        } else {
            EXPECT_EQ(r[i].path.compare(0, expected[i].size(), expected[i]), 0) << r[i].path;
        }
    }

    // Files: the lists byte for byte where the family keeps them, the three
    // information files with the expected records.
    const std::string dataDir = f.ninex ? WindowsDir() : ProductDir();
    for (size_t i = 4; i < 9; ++i) {
        const std::string name = expected[i].substr(expected[i].rfind('/') + 1);
        EXPECT_EQ(ReadAll(dataDir + "\\" + name), Served(expected[i])) << name;
    }
    const std::string setup = dltest::SetupPath();
    EXPECT_EQ(ReadAll(setup), Served(f.setupPath));
    auto encrypted = [](const InfoRecord& rec) {
        const std::vector<unsigned char> bytes = EncryptInfoRecord(rec);
        return std::string(bytes.begin(), bytes.end());
    };
    EXPECT_EQ(ReadAll(dataDir + "\\tlvestaInfo.dat"),
              encrypted(BuildPartnerInfoRecord("PTN01", "visitor01", "SITE001")));
    EXPECT_EQ(ReadAll(dataDir + "\\tluinfo.dat"),
              encrypted(BuildUserInfoRecord("visitor01", "T0K3N-4E21", 1, machineId.c_str())));
    EXPECT_EQ(ReadAll(dataDir + "\\cvbinfo.dat"), encrypted(BuildBasicInfoRecord("tlfree", VENDOR_DOMAIN, f.versionDir)));
    if (f.ninex) // the partner library's folder is all the 9x family gets
        EXPECT_EQ(FolderEntries(ProductDir()), std::vector<std::string>{"VestaINet.dll"});

    // The partner library was asked once with the cookie's site and let go,
    // and the program went on: its calls left the stack as they found it.
    EXPECT_EQ(ReadAll(ProductDir() + "\\VestaINet.dll"), ReadAll(PartnerLibrary(f.partnerLibrary, f.signing)));
    EXPECT_EQ(ReadAll(TempDir() + "vestainet.log"), "VestaISafeToRun SITE001\nVestaIReleaseLock\n");

    // The ODBC Access driver now points at the library that was fetched.
    const std::string odbc = f.vista ? "" : SystemDir() + "\\odbcjt32.dll";
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, "Driver", ProgramView()), odbc);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, ODBC_ACCESS_KEY, "Setup", ProgramView()), odbc);
    if (!f.vista)
        EXPECT_EQ(ReadAll(SystemDirOnDisk() + "\\odbcjt32.dll"), Served("/mdb/ODBCJT32.DLL"));

    // The setup program was started from a folder of its own: in the Windows
    // folder's Temp on the NT family, whatever the visitor's TEMP says; in the
    // temporary folder on Windows 98.
    const std::string record = ReadAll(m_record);
    const std::string parent = (f.ninex ? TempDir() : WindowsDir() + "\\Temp\\") + "tl";
    EXPECT_EQ(_strnicmp(setup.c_str(), parent.c_str(), parent.size()), 0) << setup;
    EXPECT_NE(record.find("path=" + setup + "\r\n"), std::string::npos) << record;
}

INSTANTIATE_TEST_SUITE_P(
    Families, InstallOn,
    ::testing::Values(Family{"win98", true, false, "/tlfree/win98/2.0.98/TallowSetup98.exe", "2.0.98",
                             "VestaINetStdcall.dll", "sha1"},
                      Family{"win2k", false, false, "/tlfree/win2000/2.0.2000/TLFreeSetup.exe", "2.0.2000",
                             "VestaINet.dll", "sha256"},
                      Family{"winxp", false, false, "/tlfree/win2000/2.0.2000/TLFreeSetup.exe", "2.0.2000",
                             "VestaINetStdcall.dll", "dual"},
                      Family{"win2003", false, false, "/tlfree/win2000/2.0.2000/TLFreeSetup.exe", "2.0.2000",
                             "VestaINet.dll", "sha256"},
                      Family{"vista", false, true, "/tlfree/winvista/2.0.vista/TLFreeSetupVista.exe", "2.0.vista",
                             "VestaINetStdcall.dll", "sha256"}),
    [](const ::testing::TestParamInfo<Family>& info) { return std::string(info.param.version); });

TEST_F(EndToEnd, Windows7IsRefusedBeforeAnythingIsRequested)
{
    WineVersion version("win7");
    WriteCookie(CookieFolder());
    const Outcome o = Run(1, nullptr, false);
    ASSERT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    EXPECT_EQ(o.boxes[0].caption, u8"탈로 Free");
    EXPECT_NE(o.boxes[0].text.find(u8"탈로는 Windows98 이상"), std::string::npos);
    EXPECT_EQ(o.boxes[0].icon, MsgBoxWatcher::ICON_STOP);
    EXPECT_FALSE(o.installVisibleAtEnd);
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(o.exitCode, 0u) << "closed by the visitor afterwards";
}

TEST_F(EndToEnd, WithoutThePartnerCookieNothingIsRequested)
{
    WineVersion version("winxp");
    const Outcome o = Run(1, nullptr, false);
    ASSERT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    EXPECT_EQ(o.boxes[0].text, u8"설치에 필요한 정보를 확인할 수 없습니다. \r\n\r\n다시 시도해주세요.");
    EXPECT_FALSE(o.installVisibleAtEnd);
    EXPECT_TRUE(Requests().empty());
}

TEST_F(EndToEnd, AConflictingFilterProductStopsBeforeSignIn)
{
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    ASSERT_TRUE(ServePartnerLibrary("VestaINetStdcall.dll"));
    ::SetEnvironmentVariableA("VESTAINET_ANSWER", "1");
    const Outcome o = Run(1, nullptr, false);
    ASSERT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    EXPECT_EQ(o.boxes[0].caption, u8"탈로 Free");
    EXPECT_NE(o.boxes[0].text.find(u8"다른 유해 차단 제품"), std::string::npos);
    EXPECT_FALSE(o.installVisibleAtEnd);
    const std::vector<Request> r = Requests();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].path, "/tlfree/data/VestaINet.dll");
    EXPECT_EQ(ReadAll(TempDir() + "vestainet.log"), "VestaISafeToRun SITE001\nVestaIReleaseLock\n");
}

TEST_F(EndToEnd, AnUnverifiedPartnerLibraryStopsBeforeSignIn)
{
    if (!*VENDOR_KEY_PINS)
        GTEST_SKIP() << "built without pins";
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    StandinGet("/_control/set?only=VestaINet&file=payloads/impostor-VestaINet.dll");
    const Outcome o = Run(1, nullptr, false);
    ASSERT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    EXPECT_EQ(o.boxes[0].caption, u8"탈로 FREE");
    EXPECT_EQ(o.boxes[0].text, u8"내려받은 설치 파일을 확인할 수 없습니다.\n\n다시 시도해 주세요.");
    EXPECT_EQ(o.boxes[0].icon, MsgBoxWatcher::ICON_STOP);
    EXPECT_FALSE(o.installVisibleAtEnd);
    const std::vector<Request> r = Requests();
    ASSERT_EQ(r.size(), 1u) << "no sign-in";
    EXPECT_EQ(r[0].path, "/tlfree/data/VestaINet.dll");
    EXPECT_FALSE(Exists(ProductDir() + "\\VestaINet.dll"));
}

TEST_F(EndToEnd, ATamperedSetupProgramIsDeletedAndNotStarted)
{
    if (!*VENDOR_KEY_PINS)
        GTEST_SKIP() << "built without pins";
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    StandinGet("/_control/set?only=TLFreeSetup&file=payloads/tampered-TLFreeSetup.exe");
    const Outcome o = Run(1, nullptr, false);
    ASSERT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    EXPECT_EQ(o.boxes[0].text, u8"내려받은 설치 파일을 확인할 수 없습니다.\n\n다시 시도해 주세요.");
    EXPECT_EQ(o.boxes[0].icon, MsgBoxWatcher::ICON_STOP);
    EXPECT_FALSE(o.installVisibleAtEnd);
    EXPECT_FALSE(Exists(m_record)) << "no setup program started";
    EXPECT_EQ(dltest::SetupPath(), "") << "deleted with its folder";
}

TEST_F(EndToEnd, FailedSignInKeepsTheDialogWithItsFirstPanel)
{
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    StandinGet("/_control/set?info_close=1");
    const Outcome o = Run(1, nullptr, false);
    ASSERT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    EXPECT_EQ(o.boxes[0].caption, u8"탈로 FREE");
    EXPECT_EQ(o.boxes[0].text, u8"인증에 실패 하였습니다.\n\n다시 시도해 주세요.");
    EXPECT_TRUE(o.installVisibleAtEnd);
    EXPECT_FALSE(o.progressVisibleAtEnd);
    EXPECT_FALSE(Exists(ProductDir() + "\\tlvestaInfo.dat"));
}

TEST_F(EndToEnd, UnreachableJoinScriptStopsBeforeTheDownload)
{
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    StandinGet("/_control/set?join_close=1");
    const Outcome o = Run(1, nullptr, false);
    ASSERT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    EXPECT_EQ(o.boxes[0].text, u8"설치에 필요한 파일을 만들 수 없습니다.\r\n다시 시도해주세요.");
    EXPECT_FALSE(o.installVisibleAtEnd);
    EXPECT_TRUE(Exists(ProductDir() + "\\tlvestaInfo.dat")) << "written before the join";
    for (const Request& r : Requests())
        EXPECT_EQ(r.path.find("TLFreeSetup"), std::string::npos) << "no download";
}

TEST_F(EndToEnd, AMissingListInTheMiddleStopsTheDownload)
{
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    StandinGet("/_control/set?missing=cvspdf.lst");
    const Outcome o = Run(1, nullptr, false);
    ASSERT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    EXPECT_EQ(o.boxes[0].text, u8"설치할 파일을 찾을 수 없습니다. - /tlfree_sdata/20080301/cvspdf.lst");
    EXPECT_FALSE(o.installVisibleAtEnd);
    EXPECT_FALSE(Exists(m_record)) << "no setup program started";
    EXPECT_FALSE(Exists(ProductDir() + "\\sdbverify.dat"));
}

TEST_F(EndToEnd, ASecondStartAfterAFailedSignInInstalls)
{
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    StandinGet("/_control/set?info_close=1");
    const Outcome o = Run(2, [](int i) {
        if (i == 0)
            StandinGet("/_control/reset");
    });
    ASSERT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    EXPECT_EQ(o.boxes[0].text, u8"인증에 실패 하였습니다.\n\n다시 시도해 주세요.");
    EXPECT_EQ(o.exitCode, 0u);
    EXPECT_TRUE(Exists(m_record));
}


// A second download click while the first installation is still downloading
// is ignored: the plan and lists the worker walks are not rebuilt under it.
TEST_F(EndToEnd, ASecondStartDuringTheDownloadIsIgnored)
{
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    StandinGet("/_control/set?rate=100000"); // a slow line: the download takes a few seconds
    Running p;
    ASSERT_TRUE(Start(p));
    ::PostMessageA(p.main, WM_SETUP_START, 1, 0);
    ASSERT_TRUE(WaitUntil([&] { return RequestCount("TLFreeSetup.exe") > 0; }, 30000)) << "the worker is downloading";
    ::PostMessageA(p.main, WM_SETUP_START, 1, 0);
    WaitUntil([&] { return HasEnded(p.pi.hProcess); }, 60000);
    const Outcome o = Finish(p);
    EXPECT_EQ(o.exitCode, 0u);
    EXPECT_TRUE(o.boxes.empty()) << Texts(o.boxes);
    ExpectOneInstallation();
}

// A double click on the download link: two starts queued one behind the other.
TEST_F(EndToEnd, TwoStartsInARowInstallOnce)
{
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    Running p;
    ASSERT_TRUE(Start(p));
    ::PostMessageA(p.main, WM_SETUP_START, 1, 0);
    ::PostMessageA(p.main, WM_SETUP_START, 1, 0);
    WaitUntil([&] { return HasEnded(p.pi.hProcess); }, 60000);
    const Outcome o = Finish(p);
    EXPECT_EQ(o.exitCode, 0u);
    EXPECT_TRUE(o.boxes.empty()) << Texts(o.boxes);
    ExpectOneInstallation();
}

// A message box's own loop hands on posted messages: a start arriving while
// the failed sign-in is being reported is ignored, and a start after the
// visitor has answered installs.
TEST_F(EndToEnd, AStartWhileAMessageOfARunningStartIsShownIsIgnored)
{
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    StandinGet("/_control/set?info_close=1");
    Running p;
    ASSERT_TRUE(Start(p, 0));
    ::PostMessageA(p.main, WM_SETUP_START, 1, 0);
    ASSERT_TRUE(WaitUntil([&] { return !p.watcher->Boxes().empty(); }, 60000));
    const HWND box = p.watcher->Boxes()[0].box;
    StandinGet("/_control/reset"); // from here on a start would install
    // The box's loop takes them in this order: the start, then the answer.
    ::PostMessageA(p.main, WM_SETUP_START, 1, 0);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }, 30000));
    EXPECT_EQ(Requests().size(), 0u) << "nothing done for the start inside the message";

    ::PostMessageA(p.main, WM_SETUP_START, 1, 0);
    WaitUntil([&] { return HasEnded(p.pi.hProcess); }, 60000);
    const Outcome o = Finish(p);
    EXPECT_EQ(o.exitCode, 0u);
    EXPECT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    ExpectOneInstallation();
}

// Told that the partner library could not be fetched, the visitor sees no
// installation go on behind the message with a copy left from before.
TEST_F(EndToEnd, APartnerLibraryMissingOnTheServerStopsDespiteAnOldCopy)
{
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    ::CreateDirectoryA(ProductDir().c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA((StandinRoot() + "\\tlfree\\data\\VestaINet.dll").c_str(),
                            (ProductDir() + "\\VestaINet.dll").c_str(), FALSE));
    StandinGet("/_control/set?missing=VestaINet");
    const Outcome o = Run(1, nullptr, false);
    ASSERT_EQ(o.boxes.size(), 1u) << Texts(o.boxes);
    EXPECT_EQ(o.boxes[0].text, u8"설치에 필요한 파일을 다운로드할 수 없습니다.\r\n설치를 다시 시도해 주세요.");
    EXPECT_FALSE(o.installVisibleAtEnd);
    const std::vector<Request> r = Requests();
    ASSERT_EQ(r.size(), 1u) << "no sign-in follows";
    EXPECT_EQ(r[0].path, "/tlfree/data/VestaINet.dll");
    EXPECT_FALSE(Exists(m_record));
}

// The visitor closes the main window while the setup program is coming in
// over a slow line: the process is gone within 3 s, without a crash, without
// starting setup and without a file under a final name.
TEST_F(EndToEnd, ClosingDuringASlowDownloadEndsPromptly)
{
    WineVersion version("winxp");
    UnmanagedWindows unmanaged;
    WriteCookie(CookieFolder());
    StandinGet("/_control/set?rate=20000&only=TLFreeSetup"); // about 13 s for the setup program
    Running p;
    ASSERT_TRUE(Start(p));
    ::PostMessageA(p.main, WM_SETUP_START, 1, 0);
    const HWND install = FindInstallDialog(p.pi.dwProcessId);
    ASSERT_TRUE(WaitUntil(
        [&] { return RequestCount("TLFreeSetup.exe") > 0 && ::IsWindowVisible(::GetDlgItem(install, 1001)); }, 30000))
        << "the worker is downloading";
    const DWORD closed = ::GetTickCount();
    ::PostMessageA(p.main, WM_SYSCOMMAND, SC_CLOSE, 0);
    const bool ended = ::WaitForSingleObject(p.pi.hProcess, 3000) == WAIT_OBJECT_0;
    const DWORD took = ::GetTickCount() - closed;
    RecordProperty("close_to_end_ms", static_cast<int>(took));
    const Outcome o = Finish(p);
    EXPECT_TRUE(ended) << "still running " << took << " ms after the close";
    EXPECT_EQ(o.exitCode, 0u);
    EXPECT_TRUE(o.boxes.empty()) << Texts(o.boxes);
    EXPECT_FALSE(Exists(m_record)) << "no setup program started";
    EXPECT_EQ(dltest::SetupPath(), "") << "no setup program in a private folder";
    EXPECT_FALSE(Exists(ProductDir() + "\\cvxpdf.lst"));
}

// However long the windows take to go (Wine's managed windows here take about
// two seconds each), nothing is stored and no setup program started after the
// close, even when the download would have been complete by then.
TEST_F(EndToEnd, NothingIsStoredOrStartedAfterTheClose)
{
    WineVersion version("winxp");
    WriteCookie(CookieFolder());
    StandinGet("/_control/set?rate=200000&only=TLFreeSetup"); // about 1.3 s for the setup program
    Running p;
    ASSERT_TRUE(Start(p));
    ::PostMessageA(p.main, WM_SETUP_START, 1, 0);
    ASSERT_TRUE(WaitUntil([&] { return RequestCount("TLFreeSetup.exe") > 0; }, 30000)) << "the worker is downloading";
    ::PostMessageA(p.main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return HasEnded(p.pi.hProcess); }, 15000));
    const Outcome o = Finish(p);
    EXPECT_EQ(o.exitCode, 0u);
    EXPECT_TRUE(o.boxes.empty()) << Texts(o.boxes);
    EXPECT_EQ(dltest::SetupPath(), "") << "no setup program in a private folder";
    EXPECT_EQ(RequestCount("cvxpdf.lst"), 0) << "no further download";
    EXPECT_FALSE(Exists(m_record)) << "no setup program started";
}

} // namespace
