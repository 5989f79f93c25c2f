// The partner's verdict on other filter products, asked through its library.
#include "FixedTexts.h"
#include "InstallDlg.h"
#include "InstallPaths.h"
#include "ResString.h"

namespace {

// The partner library's exports (C calling convention, undecorated names).
typedef int (*SafeToRunFn)(const char* pszField);
typedef void (*ReleaseLockFn)();

template <class Fn>
Fn Export(HMODULE hModule, const char* pszName)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(hModule, pszName)));
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
    // A library loaded by an earlier start of installation stays loaded and
    // is asked again: the visitor may have removed the other product since.
    // It is not fetched again then (a loaded library cannot be replaced);
    // otherwise a failed fetch, already reported, stops the installation.
    if (!m_hPartnerLib) {
        if (!DownloadPartnerLibrary())
            return FALSE;
        CInstallPaths paths;
        m_hPartnerLib = ::LoadLibraryA(paths.m_strPartnerLibrary);
        if (!m_hPartnerLib)
            return FALSE;
    }
    const auto safeToRun = Export<SafeToRunFn>(m_hPartnerLib, "VestaISafeToRun");
    const auto releaseLock = Export<ReleaseLockFn>(m_hPartnerLib, "VestaIReleaseLock");
    if (!safeToRun || !releaseLock) {
        // Not the partner's library, or a broken one: as if it did not load.
        ::FreeLibrary(m_hPartnerLib);
        m_hPartnerLib = nullptr;
        return FALSE;
    }

    const int result = safeToRun(m_strCookieField2);
    CString line;
    line.Format("VestaISafeToRun Return : %d", result);
    ::OutputDebugStringA(line);
    if (result == 0) {
        releaseLock();
        return TRUE;
    }
    MessageBox(TEXT_CONFLICTING_FILTER, LoadResString(IDS_CHECK_CAPTION), MB_ICONSTOP);
    releaseLock();
    return FALSE;
}
