// OLE (ole32) and OLE Automation (oleaut32), loaded from the system folder
// when first used: neither is a known DLL on Windows 98 or NT 4.0, so an
// import of either would be looked for in the program's folder first. Every
// entry is callable: where the library or a function is missing it fails
// (E_NOTIMPL, or a null string), and the window or picture that needed it is
// not made.
#pragma once

#include "framework/WinTypes.h"

#include <ole2.h>
#include <olectl.h>

struct Ole32Api {
    decltype(&::OleInitialize) OleInitialize;
    decltype(&::CoCreateInstance) CoCreateInstance;
    decltype(&::CreateStreamOnHGlobal) CreateStreamOnHGlobal;
};

struct OleAut32Api {
    decltype(&::SysAllocString) SysAllocString;
    decltype(&::SysAllocStringLen) SysAllocStringLen;
    decltype(&::SysFreeString) SysFreeString;
    decltype(&::OleLoadPicture) OleLoadPicture;
};

// The tables of the given modules (null: everything missing).
Ole32Api ResolveOle32(HMODULE hModule);
OleAut32Api ResolveOleAut32(HMODULE hModule);
const Ole32Api& Ole32();
const OleAut32Api& OleAut32();
