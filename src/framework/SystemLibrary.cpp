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

void HardenDllSearch()
{
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    // Windows 8, and Vista or 7 with update 2533623: system folder and the
    // folders added explicitly only.
    BOOL(WINAPI * setDefault)(DWORD) = nullptr;
    if (ResolveFunction(kernel, "SetDefaultDllDirectories", setDefault)) {
        const DWORD LOAD_LIBRARY_SEARCH_SYSTEM32_ = 0x00000800;
        if (setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32_))
            return;
    }
    // XP SP1 and later: the current folder leaves the search order.
    BOOL(WINAPI * setDllDirectory)(LPCSTR) = nullptr;
    if (ResolveFunction(kernel, "SetDllDirectoryA", setDllDirectory))
        setDllDirectory("");
}
