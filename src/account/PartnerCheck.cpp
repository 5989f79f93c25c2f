// The partner's verdict on other filter products, asked through its library.
#include "FixedTexts.h"
#include "InstallDlg.h"
#include "InstallPaths.h"
#include "ResString.h"

namespace {

// The partner library is built by the partner, and nothing fixes the calling
// convention of its exports: they are found by undecorated name, and may be
// C functions (the caller pops the argument) or __stdcall ones (the callee
// does). On x86 the call therefore keeps the stack pointer in a callee-saved
// register and puts it back afterwards, which leaves the stack right either
// way, whatever the compiler does with frame pointers. x86_64 has one
// convention.
intptr_t CallExport(FARPROC fn, const void* argument)
{
#if defined(__i386__)
    intptr_t result;
    // The argument sits where either convention reads it; a function that
    // takes none ignores it. The stack stays 16-byte aligned for the callee.
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

} // namespace

BOOL CInstallDlg::CheckPartner()
{
    if (!ReadPartnerCookie()) {
        MessageBox(TEXT_COOKIE_UNUSABLE, LoadResString(IDS_CHECK_CAPTION), MB_ICONSTOP);
        return FALSE;
    }
    return CheckConflictingFilter();
}

BOOL CInstallDlg::CheckConflictingFilter()
{
    // Transfer failures are reported there; a library left from an earlier
    // download still serves.
    DownloadPartnerLibrary();

    // A library loaded by an earlier start of installation stays loaded and
    // is asked again: the visitor may have removed the other product since.
    if (!m_hPartnerLib) {
        CInstallPaths paths;
        m_hPartnerLib = ::LoadLibraryA(paths.m_strPartnerLibrary);
        if (!m_hPartnerLib)
            return FALSE;
    }
    const FARPROC safeToRun = ::GetProcAddress(m_hPartnerLib, "VestaISafeToRun");
    const FARPROC releaseLock = ::GetProcAddress(m_hPartnerLib, "VestaIReleaseLock");
    if (!safeToRun || !releaseLock) {
        // Not the partner's library, or a broken one: as if it did not load.
        ::FreeLibrary(m_hPartnerLib);
        m_hPartnerLib = nullptr;
        return FALSE;
    }

    // The answer is a C int: only the low 32 bits of the register carry it.
    const int result = static_cast<int>(CallExport(safeToRun, static_cast<const char*>(m_strCookieField2)));
    CString line;
    line.Format("VestaISafeToRun Return : %d", result);
    ::OutputDebugStringA(line);
    if (result == 0) {
        CallExport(releaseLock, nullptr);
        return TRUE;
    }
    MessageBox(TEXT_CONFLICTING_FILTER, LoadResString(IDS_CHECK_CAPTION), MB_ICONSTOP);
    CallExport(releaseLock, nullptr);
    return FALSE;
}
