// Functions that some of the Windows versions the program runs on lack, and
// libraries that are not protected known DLLs, are taken at run time: the
// loader would refuse the whole program over one missing import, and a DLL
// imported by name is looked for first in the program's own folder, where a
// download folder may hold anything.
#pragma once

#include "framework/WinTypes.h"

#include <cstddef>
#include <type_traits>

// A library of the system folder, loaded by its full path with the libraries
// it needs found from there; null when absent.
HMODULE LoadSystemLibrary(const char* pszName);

// What a function that could not be found does: fails as the system reports
// a missing procedure, returning Failure, or zero, FALSE or null where none
// is given.
template <auto Failure, typename R, typename... A>
R WINAPI UnavailableFunction(A...)
{
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    if constexpr (std::is_same_v<decltype(Failure), std::nullptr_t>)
        return R();
    else
        return static_cast<R>(Failure);
}

// Points fn at the export, or at an UnavailableFunction returning Failure
// when the module or the export is missing; returns whether it was found.
// A function whose success is zero (ERROR_SUCCESS, S_OK, a socket call's
// result) is resolved with its own failure value, so that a missing one
// never reads as success.
template <auto Failure = nullptr, typename R, typename... A>
bool ResolveFunction(HMODULE hModule, const char* pszName, R(WINAPI*& fn)(A...))
{
    FARPROC proc = hModule ? ::GetProcAddress(hModule, pszName) : nullptr;
    fn = proc ? reinterpret_cast<R(WINAPI*)(A...)>(reinterpret_cast<void*>(proc))
              : &UnavailableFunction<Failure, R, A...>;
    return proc != nullptr;
}

// Restricts the search for libraries loaded from now on where the system can
// (SetDefaultDllDirectories). Where it cannot, the libraries that system
// components load by name later are loaded from the system folder now, and
// SetDllDirectoryA with an empty folder takes the current folder out where
// it exists. Called first thing, before anything loads a library.
void HardenDllSearch();
