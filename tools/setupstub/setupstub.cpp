// A setup program that installs nothing: it appends how it was started to a
// record file and exits. The record goes to the file named by
// TALLOW_SETUPSTUB_RECORD, or next to the program as "<program>.record".
//
// One block per start, lines "key=value", a blank line after the block:
//   path=C:\users\...\Temp\Tempcr.exe
//   args=the command line after the program name
//   show=10          (the show command it was given; -1 for none)
//   elevated=1       (the process token is elevated)
//   cwd=C:\users\...  (the folder it was started in)
//   started=1796642040123  (milliseconds since 1970, for timelines)
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const char* ArgumentsOf(const char* commandLine)
{
    const char* p = commandLine;
    if (*p == '"') {
        p = std::strchr(p + 1, '"');
        p = p ? p + 1 : commandLine + std::strlen(commandLine);
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

int IsElevated()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return -1;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const BOOL ok = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
    ::CloseHandle(token);
    return ok ? (elevation.TokenIsElevated ? 1 : 0) : -1;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    char record[MAX_PATH + 16] = {};
    const DWORD n = ::GetEnvironmentVariableA("TALLOW_SETUPSTUB_RECORD", record, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        std::snprintf(record, sizeof(record), "%s.record", self);

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    ::GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    FILE* out = std::fopen(record, "ab");
    if (!out)
        return 1;
    char cwd[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, cwd);
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const unsigned long long unixMs =
        ((static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime) - 116444736000000000ULL) / 10000;
    std::fprintf(out, "path=%s\r\nargs=%s\r\nshow=%d\r\nelevated=%d\r\ncwd=%s\r\nstarted=%llu\r\n\r\n", self,
                 ArgumentsOf(::GetCommandLineA()), show, IsElevated(), cwd, unixMs);
    std::fclose(out);
    return 0;
}
