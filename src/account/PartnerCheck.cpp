// The partner's verdict on other filter products, asked through its library.
#include "account/PartnerCall.h"
#include "framework/ResString.h"
#include "install/InstallDlg.h"
#include "install/InstallPaths.h"
#include "res/FixedTexts.h"

BOOL CInstallDlg::CheckPartnerCookie()
{
    if (!ReadPartnerCookie()) {
        MessageBox(TEXT_COOKIE_UNUSABLE, LoadResString(IDS_CHECK_CAPTION), MB_ICONSTOP);
        return FALSE;
    }
    return TRUE;
}

BOOL CInstallDlg::CheckConflictingFilter()
{
    // A library loaded by an earlier start of installation stays loaded and
    // is asked again: the visitor may have removed the other product since.
    // Otherwise the installation has just fetched it (DownloadPartnerLibrary).
    if (!m_hPartnerLib) {
        CInstallPaths paths;
        // Checked on a handle that shares reading only, kept open until the
        // library is loaded, so the file loaded is the file checked.
        const LPCSTR path = paths.m_strPartnerLibrary;
        const HANDLE hold =
            ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hold == INVALID_HANDLE_VALUE)
            return FALSE;
        if (!IsFromVendor(hold)) {
            ::CloseHandle(hold);
            RefusePayload(path);
            return FALSE;
        }
        // Its own folder, not the program's, is searched for what it needs.
        m_hPartnerLib = ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        ::CloseHandle(hold);
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
    const int result = static_cast<int>(CallPartnerExport(safeToRun, static_cast<const char*>(m_strCookieField2)));
    CString line;
    line.Format("VestaISafeToRun Return : %d", result);
    ::OutputDebugStringA(line);
    if (result == 0) {
        CallPartnerExport(releaseLock, nullptr);
        return TRUE;
    }
    MessageBox(TEXT_CONFLICTING_FILTER, LoadResString(IDS_CHECK_CAPTION), MB_ICONSTOP);
    CallPartnerExport(releaseLock, nullptr);
    return FALSE;
}
