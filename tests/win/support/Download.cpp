#include "support/Download.h"

#include "app/Messages.h"
#include "BuildConfig.h"

#include <cstring>
#include <fstream>
#include <sstream>

using namespace testsupport;

namespace dltest {

// The folders "tl" and sixteen hex digits where the NT family makes them (the
// Windows folder's Temp) and where Windows 98 does (the temporary folder).
std::vector<std::string> PrivateFolders()
{
    std::vector<std::string> folders;
    char windowsTemp[MAX_PATH] = {};
    ::GetLongPathNameA((WindowsDir() + "\\Temp").c_str(), windowsTemp, MAX_PATH);
    for (const std::string& parent : {std::string(windowsTemp) + "\\", TempDir()}) {
        WIN32_FIND_DATAA found;
        HANDLE h = ::FindFirstFileA((parent + "tl*").c_str(), &found);
        for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(h, &found)) {
            const std::string name = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() == 18 &&
                name.find_first_not_of("0123456789ABCDEF", 2) == std::string::npos)
                folders.push_back(parent + name);
        }
        if (h != INVALID_HANDLE_VALUE)
            ::FindClose(h);
    }
    return folders;
}

std::string SetupPath()
{
    for (const std::string& folder : PrivateFolders())
        if (Exists(folder + "\\Tempcr.exe"))
            return folder + "\\Tempcr.exe";
    return std::string();
}

void RemovePrivateFolders()
{
    for (const std::string& folder : PrivateFolders()) {
        // A setup stand-in that is still running holds its program open.
        PumpUntil([&] { return ::DeleteFileA((folder + "\\Tempcr.exe").c_str()) || !Exists(folder + "\\Tempcr.exe"); },
                  5000);
        ::RemoveDirectoryA(folder.c_str());
    }
}

std::string ServedFile(const std::string& path)
{
    std::string file = StandinRoot() + path;
    for (char& c : file)
        if (c == '/')
            c = '\\';
    return ReadBytes(file);
}

// The setup stand-in appends a block per start to this file.
std::string SetupRecordFile()
{
    return TempDir() + "setupstub.record";
}

std::string WaitForSetupRecord(DWORD ms)
{
    std::string record;
    // Read once the stand-in has closed the file: until then it cannot be opened unshared.
    PumpUntil(
        [&] {
            HANDLE h = ::CreateFileA(SetupRecordFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (h == INVALID_HANDLE_VALUE)
                return false;
            ::CloseHandle(h);
            return !(record = ReadBytes(SetupRecordFile())).empty();
        },
        ms);
    return record;
}

std::vector<std::string> DownloadRequests()
{
    std::vector<std::string> paths;
    std::istringstream lines(StandinGet("/_control/requests"));
    for (std::string line; std::getline(lines, line);) {
        if (line.find("\"server\": \"download\"") == std::string::npos)
            continue;
        const size_t at = line.find("\"path\": \"") + 9;
        paths.push_back(line.substr(at, line.find('"', at) - at));
    }
    return paths;
}

LRESULT CMainStandIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETUP_DONE) {
        ++m_nSetupDone;
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

InstallHost::InstallHost()
{
    HWND hMain = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    mainWnd.SubclassWindow(hMain);
    dlg.Create(IDD_INSTALL_DIALOG, &mainWnd);
    dlg.ShowWindow(SW_SHOW);
    dlg.m_lblPercent.ShowWindow(SW_SHOW);
    dlg.m_ctlProgress.ShowWindow(SW_SHOW);
    // The stand-in's sign-in answer for every family.
    dlg.m_strProductDir = "tlfree";
    dlg.m_strDataDir = dlg.m_strSDataDir = dlg.m_strPlDataDir = "20080301";
}

InstallHost::~InstallHost()
{
    dlg.DestroyWindow();
    mainWnd.DestroyWindow();
    PumpPending();
}

void InstallHost::Plan(DWORD osKind)
{
    dlg.OsKind = osKind;
    dlg.m_strVersionDir = UsesWin98Setup(osKind) ? "2.0.98" : IsVistaOrLater(osKind) ? "2.0.vista" : "2.0.2000";
    dlg.BuildDownloadPlan();
}

bool InstallHost::RunWorker(DWORD ms)
{
    CWinThread* thread = AfxBeginThread(CInstallDlg::DownloadThreadProc, &dlg, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    positions.clear();
    const bool ended = PumpUntil(
        [&] {
            const int pos = dlg.m_ctlProgress.m_nPos;
            if (positions.empty() || positions.back() != pos)
                positions.push_back(pos);
            return thread->Join(0) != FALSE;
        },
        ms);
    PumpPending(); // what the worker posted before it ended
    if (ended)
        delete thread;
    return ended;
}

void DownloadTest::SetUp()
{
    StandinGet("/_control/reset");
    ::SetEnvironmentVariableA("TALLOW_SETUPSTUB_RECORD", SetupRecordFile().c_str());
    RemoveFile(SetupRecordFile());
    ::CreateDirectoryA((WindowsDir() + "\\Downloaded Program Files").c_str(), nullptr);
    ::CreateDirectoryA(ProductDir().c_str(), nullptr);
    // A registered driver keeps the plan at its six fixed entries.
    odbc.Set("Driver", SystemDir() + "\\kernel32.dll");
}

void DownloadTest::TearDown()
{
    RemovePrivateFolders();
    for (const char* name : kDataFiles) {
        RemoveFile(ProductDir() + "\\" + name);
        RemoveFile(WindowsDir() + "\\" + name);
    }
    StandinGet("/_control/reset");
}

} // namespace dltest
