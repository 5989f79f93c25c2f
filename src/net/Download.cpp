// The download worker, and the partner library (fetched on the worker as
// well): the HTTP exchange wrapped with the progress display, the files and
// the messages to the visitor.
#include "app/Messages.h"
#include "BuildConfig.h"
#include "framework/ResString.h"
#include "framework/Socket.h"
#include "framework/SystemLibrary.h"
#include "install/InstallDlg.h"
#include "install/InstallPaths.h"
#include "net/DownloadPlan.h"
#include "net/FilePlacement.h"
#include "net/HttpExchange.h"
#include "net/Publisher.h"
#include "res/FixedTexts.h"

#include <direct.h>

namespace {

// The visitor is told, and the install dialog goes away so the installation
// can be started again from the page. Once the assistant is closing, a
// failure is what the stop caused and nobody is left to read about it.
void ReportFailure(CInstallDlg* dlg, const CString& text)
{
    if (dlg->IsStopping())
        return;
    dlg->InstallMessageBox(text, MB_ICONSTOP);
    dlg->PostMessage(WM_COMMAND, IDCANCEL, 0);
}

// False when a folder is unknown: the files would land in whatever folder is current.
bool LocalFolders(const CInstallPaths& paths, DownloadFolders& folders)
{
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    // NT 4.0 has no GetLongPathNameA: the path stays as GetTempPathA gave it.
    static DWORD(WINAPI * getLongPathName)(LPCSTR, LPSTR, DWORD) = nullptr;
    static const bool haveLongPaths =
        ResolveFunction(::GetModuleHandleA("kernel32.dll"), "GetLongPathNameA", getLongPathName);
    if (haveLongPaths) {
        char longTemp[MAX_PATH] = {};
        const DWORD n = getLongPathName(temp, longTemp, MAX_PATH);
        if (n > 0 && n < MAX_PATH)
            memcpy(temp, longTemp, n + 1);
    }
    CString system;
    if (!SystemFolder(system))
        return false;
    folders = {temp, system, paths.m_strWindowsDir, paths.m_strDownloadDir};
    return true;
}

// Runs on the worker: the bar's position is a plain integer the control
// reads when it paints, and the label's setter takes the label's own lock.
void ShowProgress(CInstallDlg* dlg, int position)
{
    dlg->m_ctlProgress.m_nPos = position;
    dlg->m_ctlProgress.Invalidate();
    dlg->m_lblPercent.SetText(PercentText(position));
}

// Fetches one file of the plan into file; false after telling the visitor
// why not (a server that cannot be reached is not reported, as ever, and
// nothing is told once the assistant is closing).
bool Fetch(CInstallDlg* dlg, const CString& url, CDownloadFile& file, int base, int share)
{
    if (!file.IsOpen()) {
        ReportFailure(dlg, TEXT_CANNOT_CREATE_FILES);
        return false;
    }
    const HttpDownload got = HttpGetFile(
        url, DOWNLOAD_SERVER_PORT, file,
        [&](uint64_t received, uint64_t length) {
            ShowProgress(dlg, ProgressPosition(base, share, received, length));
            return !dlg->IsStopping();
        },
        CInstallDlg::s_downloadTimeouts);
    // Closing the assistant: no message, and the file is never put in place.
    if (dlg->IsStopping())
        return false;
    switch (got.outcome) {
    case HttpOutcome::Ok:
        return true;
    case HttpOutcome::Unreachable:
    case HttpOutcome::Stopped:
        return false;
    case HttpOutcome::NotFound: {
        CString host, path;
        SplitUrl(url, host, path);
        ReportFailure(dlg, FormatResString(IDS_FILE_NOT_FOUND, path));
        return false;
    }
    case HttpOutcome::NotStored:
        ReportFailure(dlg, TEXT_CANNOT_CREATE_FILES);
        return false;
    default:
        ReportFailure(dlg, LoadResString(IDS_NETWORK_ERROR));
        return false;
    }
}

// A file that is not what its kind must be came from a broken or false
// server; one that could not be put in place is the disk's doing.
bool Placed(CInstallDlg* dlg, CDownloadFile::Result result)
{
    if (result == CDownloadFile::Rejected)
        ReportFailure(dlg, LoadResString(IDS_NETWORK_ERROR));
    else if (result == CDownloadFile::Failed)
        ReportFailure(dlg, TEXT_CANNOT_CREATE_FILES);
    return result == CDownloadFile::Placed;
}

// The library is small; two minutes hold it on any line worth the name.
HttpTimeouts PartnerLibraryTimeouts()
{
    HttpTimeouts timeouts;
    timeouts.totalMs = 120000;
    return timeouts;
}

} // namespace

HttpTimeouts CInstallDlg::s_downloadTimeouts;
HttpTimeouts CInstallDlg::s_partnerLibraryTimeouts = PartnerLibraryTimeouts();
void (*CInstallDlg::s_pfnBeforeLaunchForTest)(const char* pszSetupPath) = nullptr;

UINT CInstallDlg::DownloadThreadProc(LPVOID pParam)
{
    CInstallDlg* dlg = static_cast<CInstallDlg*>(pParam);
    const CStringList* list = dlg->m_pDownloadList;
    // Without a plan there is neither a share of the bar nor a setup program.
    if (!list || list->IsEmpty())
        return 1;
    AfxSocketInit();
    const CInstallPaths paths;
    DownloadFolders folders;
    // Without a temporary folder the setup program would be written to, and
    // started from, whatever the current folder happens to be.
    if (!LocalFolders(paths, folders) || !IsUsableTempFolder(folders.temp) ||
        !CreatePrivateFolder(folders.temp, folders.temp)) {
        ReportFailure(dlg, TEXT_CANNOT_CREATE_FILES);
        return 1;
    }
    CHeldSetupProgram setup(folders.temp);
    const int share = PROGRESS_UNITS / list->GetCount();
    int base = 0;

    // Each entry is what its place in the plan says, whatever its URL holds.
    int index = 0;
    for (POSITION pos = list->GetHeadPosition(); pos; ++index, base += share) {
        const CString url = list->GetNext(pos);
        const DownloadKind kind = PlanEntryKind(index);
        if (kind == DownloadKind::Setup) {
            // Going on would launch a stale setup program or install without its lists.
            if (!Fetch(dlg, url, setup, base, share) || !Placed(dlg, setup.Hold()))
                return 1;
            continue;
        }
        const CString local = PlanLocalPath(index, dlg->OsKind, folders);
        if (local.IsEmpty())
            return 1;
        CPlacedFile file(local, kind);
        if (!Fetch(dlg, url, file, base, share))
            return 1;
        // The driver becomes the machine's own Access driver: only a pinned
        // one is placed, checked on the handle that wrote it.
        if (kind == DownloadKind::OdbcLibrary && *ODBC_DRIVER_SHA256 &&
            !IsPinnedDriver(file.Handle(), ODBC_DRIVER_SHA256)) {
            ReportFailure(dlg, TEXT_PAYLOAD_UNVERIFIED);
            return 1;
        }
        if (!Placed(dlg, file.Place()))
            return 1;
        if (kind == DownloadKind::OdbcLibrary)
            dlg->RegisterOdbcDriver(local);
    }

    // From here until the launch call has returned the setup program is held
    // open without write or delete sharing: what is checked is what starts.
    // A refusal ends the installation as a failed download does.
    if (!IsFromVendor(setup.Handle())) {
        setup.Discard();
        dlg->RefusePayload(setup.Path());
        dlg->PostMessage(WM_COMMAND, IDCANCEL, 0);
        return 1;
    }
    ShowProgress(dlg, PROGRESS_UNITS);
    // Lets the visitor see the full bar before setup takes over the screen,
    // unless the assistant is being closed meanwhile (the held program then
    // goes with its folder).
    if (::WaitForSingleObject(dlg->m_hStop, 1000) == WAIT_OBJECT_0)
        return 1;
    if (s_pfnBeforeLaunchForTest)
        s_pfnBeforeLaunchForTest(setup.Path());
    setup.Keep();
    if (IsVistaOrLater(dlg->OsKind))
        dlg->LaunchSetupElevated(setup.Path(), "", 1);
    else
        dlg->LaunchSetup(setup.Path(), "", 1);
    ::PostMessageA(::GetParent(dlg->m_hWnd), WM_SETUP_DONE, 0, 0);
    return 1;
}

bool CInstallDlg::IsFromVendor(HANDLE hFile)
{
    return !*VENDOR_KEY_PINS || VerifyPublisher(hFile, VENDOR_KEY_PINS) == AuthenticodeResult::Verified;
}

void CInstallDlg::RefusePayload(LPCSTR path)
{
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path);
    if (!IsStopping())
        InstallMessageBox(TEXT_PAYLOAD_UNVERIFIED, MB_ICONSTOP);
}

BOOL CInstallDlg::DownloadPartnerLibrary()
{
    const CInstallPaths paths;
    // The library is stored and loaded from the product folder on every
    // family, and on Windows 98 nothing else has made that folder yet.
    _mkdir(paths.m_strDownloadDir);
    AfxSocketInit();
    CPlacedFile library(paths.m_strPartnerLibrary, DownloadKind::PartnerLibrary);
    const HttpOutcome outcome =
        HttpGetFile(CString(DOWNLOAD_SERVER_HOST) + "/tlfree/data/VestaINet.dll", DOWNLOAD_SERVER_PORT, library,
                    [this](uint64_t, uint64_t) { return !IsStopping(); }, s_partnerLibraryTimeouts)
            .outcome;
    // A copy left by an earlier run may be outdated: after any failure the
    // check is not asked at all. A file that cannot be written or put in
    // place is the disk's doing; anything else the transfer's.
    const bool opened = library.IsOpen();
    const CDownloadFile::Result placed = outcome == HttpOutcome::Ok ? library.Place() : CDownloadFile::Rejected;
    if (placed == CDownloadFile::Placed)
        return TRUE;
    const bool diskFailed = !opened || outcome == HttpOutcome::NotStored || placed == CDownloadFile::Failed;
    m_strPartnerLibraryFailure = diskFailed ? TEXT_CANNOT_CREATE_FILES : TEXT_CANNOT_DOWNLOAD_PARTNER_LIBRARY;
    return FALSE;
}
