// Functions that some of the Windows versions the program runs on lack, and
// libraries that are not protected known DLLs, are taken at run time: the
// loader would refuse the whole program over one missing import, and a DLL
// imported by name is looked for first in the program's own folder, where a
// download folder may hold anything.
#pragma once

#include "framework/WinTypes.h"

// A library of the system folder, loaded by its full path with the libraries
// it needs found from there; null when absent.
HMODULE LoadSystemLibrary(const char* pszName);

// What a function that could not be found does: fails as the system reports
// a missing procedure, returning zero, FALSE or null.
template <typename R, typename... A>
R WINAPI UnavailableFunction(A...)
{
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return R();
}

// Points fn at the export, or at UnavailableFunction when the module or the
// export is missing; returns whether it was found. Callers of a function
// whose success is zero (the ERROR_SUCCESS kind) must look at the result.
template <typename R, typename... A>
bool ResolveFunction(HMODULE hModule, const char* pszName, R(WINAPI*& fn)(A...))
{
    FARPROC proc = hModule ? ::GetProcAddress(hModule, pszName) : nullptr;
    fn = proc ? reinterpret_cast<R(WINAPI*)(A...)>(reinterpret_cast<void*>(proc)) : &UnavailableFunction<R, A...>;
    return proc != nullptr;
}

// Restricts the search for libraries loaded from now on where the system can
// (SetDefaultDllDirectories, or SetDllDirectoryA with an empty folder, which
// takes the program's current folder out); a no-op on systems without either.
void HardenDllSearch();
