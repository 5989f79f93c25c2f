// The C++ runtime's lock primitives (libgcc's mutexes, its unwinder's frame
// table lock and thread-local emulation) create their semaphores with
// CreateSemaphoreW, which Windows 98 and Me export only as a stub that fails:
// their locks would then break down the moment two threads meet. Every such
// semaphore is unnamed, so the ANSI function does the same. Defining the
// import slot here, in the program itself, keeps the linker from taking the
// system's.
#include "framework/WinTypes.h"

namespace {

HANDLE WINAPI CreateUnnamedSemaphore(LPSECURITY_ATTRIBUTES lpAttributes, LONG lInitialCount, LONG lMaximumCount,
                                     LPCWSTR lpName)
{
    if (lpName) {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    return ::CreateSemaphoreA(lpAttributes, lInitialCount, lMaximumCount, nullptr);
}

} // namespace

#if defined(__i386__)
extern "C" void* g_createSemaphoreW __asm__("__imp__CreateSemaphoreW@16");
#else
extern "C" void* g_createSemaphoreW __asm__("__imp_CreateSemaphoreW");
#endif
void* g_createSemaphoreW = reinterpret_cast<void*>(&CreateUnnamedSemaphore);
