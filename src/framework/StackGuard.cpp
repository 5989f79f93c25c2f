// The stack protector's guard, set up here rather than by the compiler's
// support library: that one asks CryptoAPI for random bytes as the program
// starts, and the cryptographic provider it loads then pulls its own
// libraries by name, the program's folder first, before WinMain could narrow
// the search. Like the guard of the Windows compilers' own runtime, this one
// mixes what differs between runs and processes; it only has to be unknown
// to whoever overruns a buffer.
#include "framework/WinTypes.h"

#include <cstdint>

extern "C" {

uintptr_t __stack_chk_guard = static_cast<uintptr_t>(0x2B992DDFA232ULL);

// A smashed stack can be trusted with nothing: no message, no unwinding.
[[noreturn]] void __stack_chk_fail()
{
    ::TerminateProcess(::GetCurrentProcess(), 0xC0000409); // STATUS_STACK_BUFFER_OVERRUN
    for (;;) {
    }
}

} // extern "C"

namespace {

uintptr_t Mix(uintptr_t h, uintptr_t v)
{
    h ^= v + 0x9E3779B9u + (h << 6) + (h >> 2);
    return h;
}

// Runs with the other constructors, before WinMain and before any function
// that checks the guard can be on the stack.
__attribute__((constructor(101))) void SetUpStackGuard()
{
    uintptr_t h = __stack_chk_guard;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    h = Mix(h, now.dwLowDateTime);
    h = Mix(h, now.dwHighDateTime);
    h = Mix(h, ::GetCurrentProcessId());
    h = Mix(h, ::GetCurrentThreadId());
    h = Mix(h, ::GetTickCount());
    h = Mix(h, static_cast<uintptr_t>(counter.LowPart));
    h = Mix(h, static_cast<uintptr_t>(counter.HighPart));
    h = Mix(h, reinterpret_cast<uintptr_t>(&h));
    // A zero byte first stops string copies short of the guard.
    __stack_chk_guard = h & ~static_cast<uintptr_t>(0xFF);
}

} // namespace
