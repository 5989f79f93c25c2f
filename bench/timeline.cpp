// Drives one program through one installation and prints when each step
// happened, in milliseconds since 1970 (the stand-in and the setup stand-in
// keep the same clock), one "<ms> <step>" line each:
//   timeline SECONDS PROGRAM.exe [ARGUMENTS...]
// It starts the program, waits for its first visible window, posts the
// start message the download watcher would post (WM_USER + 10), and waits
// for the process to end. A message box of the program fails the run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

unsigned long long NowMs()
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return ((static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime) - 116444736000000000ULL) /
           10000;
}

void Say(const char* step)
{
    std::printf("%llu %s\n", NowMs(), step);
    std::fflush(stdout);
}

struct Found {
    DWORD pid;
    HWND window = nullptr;
    bool box = false;
    bool installDialog = false;
};

// The first visible top-level window of the process; a message box (a dialog
// with a static text 0xFFFF) and the 520 x 314 install dialog are told apart.
BOOL CALLBACK Look(HWND h, LPARAM lp)
{
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    if (pid != f->pid || !::IsWindowVisible(h))
        return TRUE;
    char cls[32] = {};
    ::GetClassNameA(h, cls, sizeof(cls));
    RECT rc;
    ::GetWindowRect(h, &rc);
    if (!std::strcmp(cls, "#32770") && ::GetDlgItem(h, 0xFFFF))
        f->box = true;
    else if (rc.right - rc.left == 520 && rc.bottom - rc.top == 314)
        f->installDialog = true;
    else if (!f->window)
        f->window = h;
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: timeline SECONDS PROGRAM.exe [ARGUMENTS...]\n");
        return 2;
    }
    const unsigned long long limit = std::atoi(argv[1]) * 1000ULL;
    std::string cmd = std::string("\"") + argv[2] + "\"";
    for (int i = 3; i < argc; ++i)
        cmd += std::string(" ") + argv[i];
    STARTUPINFOA si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    const unsigned long long start = NowMs();
    Say("process started");
    if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        Say("FAILED: the program did not start");
        return 1;
    }
    bool shown = false, dialog = false;
    while (::WaitForSingleObject(pi.hProcess, 5) == WAIT_TIMEOUT) {
        if (NowMs() - start > limit) {
            ::TerminateProcess(pi.hProcess, 1);
            Say("FAILED: the program did not end in time");
            return 1;
        }
        Found f{pi.dwProcessId};
        ::EnumWindows(&Look, reinterpret_cast<LPARAM>(&f));
        if (f.box) {
            ::TerminateProcess(pi.hProcess, 1);
            Say("FAILED: the program showed a message box");
            return 1;
        }
        if (!shown && f.window) {
            shown = true;
            Say("window shown");
            ::PostMessageA(f.window, WM_USER + 10, 1, 0);
            Say("start posted");
        }
        if (!dialog && f.installDialog) {
            dialog = true;
            Say("install dialog shown");
        }
    }
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    Say("process ended");
    return code == 0 ? 0 : 1;
}
