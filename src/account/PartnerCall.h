// Calls into the partner's library.
#pragma once

#include <windows.h>

#include <cstdint>

// The partner library is built by the partner, and nothing fixes the calling
// convention of its exports: they are found by undecorated name, and may be
// C functions (the caller pops the argument) or __stdcall ones (the callee
// does). On x86 the call therefore keeps the stack pointer in a callee-saved
// register and puts it back afterwards, which leaves the stack right either
// way, whatever the compiler does with frame pointers. x86_64 has one
// convention. Calls fn with one pointer argument, or with none when fn takes
// none (the argument is then ignored), and returns what it left in the
// return register.
inline intptr_t CallPartnerExport(FARPROC fn, const void* argument)
{
#if defined(__i386__)
    intptr_t result;
    // The argument sits where either convention reads it. The stack stays
    // 16-byte aligned for the callee.
    __asm__ volatile("movl %%esp, %%esi\n\t"
                     "subl $16, %%esp\n\t"
                     "andl $-16, %%esp\n\t"
                     "movl %[arg], (%%esp)\n\t"
                     "call *%[fn]\n\t"
                     "movl %%esi, %%esp"
                     : "=a"(result)
                     : [fn] "r"(fn), [arg] "r"(argument)
                     : "ecx", "edx", "esi", "memory", "cc");
    return result;
#else
    return reinterpret_cast<intptr_t (*)(const void*)>(reinterpret_cast<void*>(fn))(argument);
#endif
}
