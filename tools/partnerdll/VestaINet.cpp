// Stand-in for the partner's library. Its answer comes from the environment
// variable VESTAINET_ANSWER (0 when unset: no other filter product found).
// The partner may build its library with either calling convention: this one
// is built both ways (VESTAINET_STDCALL), with undecorated export names.
// Each call appends a line to the file named by VESTAINET_LOG, or to
// VestaINet.log beside the library:
//     VestaISafeToRun <argument as given>
//     VestaIReleaseLock
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HMODULE g_hModule;

std::string Environment(const char* name)
{
    char value[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? value : "";
}

std::string LogPath()
{
    std::string path = Environment("VESTAINET_LOG");
    if (!path.empty())
        return path;
    char module[MAX_PATH] = {};
    ::GetModuleFileNameA(g_hModule, module, MAX_PATH - 1);
    path = module;
    return path.substr(0, path.find_last_of('\\') + 1) + "VestaINet.log";
}

void Record(const std::string& line)
{
    if (FILE* f = fopen(LogPath().c_str(), "ab")) {
        fprintf(f, "%s\n", line.c_str());
        fclose(f);
    }
}

} // namespace

#ifdef VESTAINET_STDCALL
#define VESTAINET_API __stdcall
#else
#define VESTAINET_API __cdecl
#endif

extern "C" __declspec(dllexport) int VESTAINET_API VestaISafeToRun(const char* pszField)
{
    Record(std::string("VestaISafeToRun ") + (pszField ? pszField : "(null)"));
    return atoi(Environment("VESTAINET_ANSWER").c_str());
}

#ifndef VESTAINET_WITHOUT_RELEASE_LOCK
extern "C" __declspec(dllexport) void VESTAINET_API VestaIReleaseLock()
{
    Record("VestaIReleaseLock");
}
#endif

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        g_hModule = hInstance;
    return TRUE;
}
