#include "support/Program.h"

#include "support/Screen.h"

#include <tlhelp32.h>

namespace testsupport {

bool WaitUntil(const std::function<bool()>& pred, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start > ms)
            return false;
        ::Sleep(20);
    }
    return true;
}

bool PumpUntil(const std::function<bool()>& pred, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        PumpPending();
        if (pred())
            return true;
        if (::GetTickCount() - start >= ms)
            return pred();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpPending()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

HWND FindProcessWindow(DWORD pid, const std::function<bool(HWND)>& match)
{
    struct Ctx {
        DWORD pid;
        const std::function<bool(HWND)>* match;
        HWND found;
    } ctx{pid, &match, nullptr};
    ::EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(h, &owner);
            if (owner == c->pid && (*c->match)(h))
                c->found = h;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND FindMainWindow(DWORD pid)
{
    return FindProcessWindow(pid, [](HWND h) { return WindowTextUtf8(h) == u8"탈로 설치 도우미"; });
}

HWND FindInstallDialog(DWORD pid)
{
    return FindProcessWindow(pid, [](HWND h) {
        RECT rc;
        ::GetWindowRect(h, &rc);
        return rc.right - rc.left == 520 && rc.bottom - rc.top == 314;
    });
}

std::string ProgramBesideThis(const char* pszName)
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string self(path);
    return self.substr(0, self.find_last_of("\\/") + 1) + pszName;
}

int ThreadsOfThisProcess()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return count;
}

DWORD RunTestsInChild(const std::string& gtestFilter, const char* variable, DWORD ms)
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = std::string("\"") + self + "\" --gtest_filter=" + gtestFilter;
    // The child runs every test of the filter: this run's share of a sharded
    // suite is not the child's.
    const char* const shardVariables[] = {"GTEST_TOTAL_SHARDS", "GTEST_SHARD_INDEX", "GTEST_SHARD_STATUS_FILE"};
    std::string saved[3];
    for (int i = 0; i < 3; ++i) {
        char value[256] = {};
        if (::GetEnvironmentVariableA(shardVariables[i], value, sizeof(value)))
            saved[i] = value;
        ::SetEnvironmentVariableA(shardVariables[i], nullptr);
    }
    ::SetEnvironmentVariableA(variable, "1");
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    const BOOL started = ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                          &startup, &child);
    ::SetEnvironmentVariableA(variable, nullptr);
    for (int i = 0; i < 3; ++i)
        if (!saved[i].empty())
            ::SetEnvironmentVariableA(shardVariables[i], saved[i].c_str());
    if (!started)
        return ~0u;
    DWORD exitCode = ~0u;
    if (PumpUntil([&] { return ::WaitForSingleObject(child.hProcess, 0) == WAIT_OBJECT_0; }, ms))
        ::GetExitCodeProcess(child.hProcess, &exitCode);
    else
        ::TerminateProcess(child.hProcess, exitCode);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    return exitCode;
}

} // namespace testsupport
