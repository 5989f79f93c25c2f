#include "framework/SystemLibrary.h"

#include "framework/String.h"

HMODULE LoadSystemLibrary(const char* pszName)
{
    char folder[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return nullptr;
    CString path(folder);
    if (path.Right(1) != "\\")
        path += "\\";
    path += pszName;
    // What the library itself imports is then looked for in the system
    // folder too, not in the program's folder first.
    return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace {

// Libraries that system components ask for by name, some only late: the
// theme engine as the first window is drawn, the version library as the
// shell starts a program, the cryptographic provider (by the name the
// registry gives) when the first random number is drawn. A library already
// loaded under a name is the one every later request by that name gets, so
// loading these from the system folder first leaves nothing for the
// program's folder to supply.
const char* const kLoadedByNameLater[] = {
    "uxtheme.dll", "userenv.dll", "setupapi.dll", "apphelp.dll", "propsys.dll", "dwmapi.dll", "cryptbase.dll",
    "oleacc.dll",  "clbcatq.dll", "version.dll",  "rsaenh.dll",  "rsabase.dll",
};

} // namespace

void HardenDllSearch()
{
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    // Windows 8, and Vista or 7 with update 2533623: system folder and the
    // folders added explicitly only. A system that says it is older than
    // Vista gets the way of the Windows it says it is, whatever it exports
    // (Wine exports everything whatever Windows it plays).
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    const bool vistaOrLater = ::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                              version.dwMajorVersion >= 6;
    BOOL(WINAPI * setDefault)(DWORD) = nullptr;
    if (vistaOrLater && ResolveFunction(kernel, "SetDefaultDllDirectories", setDefault)) {
        const DWORD LOAD_LIBRARY_SEARCH_SYSTEM32_ = 0x00000800;
        if (setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32_))
            return;
    }
    // Elsewhere the program's own folder stays first in the search. Each
    // system lacks some of these; a missing one is no error worth a box.
    const UINT errorMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    for (const char* name : kLoadedByNameLater)
        LoadSystemLibrary(name);
    ::SetErrorMode(errorMode);
    // XP SP1 and later: the current folder leaves the search order.
    BOOL(WINAPI * setDllDirectory)(LPCSTR) = nullptr;
    if (ResolveFunction(kernel, "SetDllDirectoryA", setDllDirectory))
        setDllDirectory("");
}
