// The download worker, and the partner library fetched on the UI thread:
// the HTTP exchange wrapped with the progress display, the files and the
// messages to the visitor.
#include "BuildConfig.h"
#include "DownloadPlan.h"
#include "File.h"
#include "HttpExchange.h"
#include "InstallDlg.h"
#include "FixedTexts.h"
#include "InstallPaths.h"
#include "Messages.h"
#include "ResString.h"
#include "Socket.h"
#include "SystemLibrary.h"

#include <direct.h>

namespace {

const char CANNOT_DOWNLOAD_PARTNER_LIBRARY[] = "설치에 필요한 파일을 다운로드할 수 없습니다.\r\n설치를 다시 시도해 주세요.";

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

// A file left by an earlier run may be read-only; it is cleared and replaced.
bool StoreFile(const CString& path, const HttpDownload& got)
{
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path);
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary))
        return false;
    return file.Write(got.body.get(), static_cast<UINT>(got.length)) != FALSE;
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

} // namespace

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
    if (!LocalFolders(paths, folders)) {
        ReportFailure(dlg, TEXT_CANNOT_CREATE_FILES);
        return 1;
    }
    const int share = 400 / list->GetCount();
    int base = 0;
    CString setupPath;

    for (POSITION pos = list->GetHeadPosition(); pos;) {
        const CString url = list->GetNext(pos);
        const HttpDownload got = HttpGetFile(url, DOWNLOAD_SERVER_PORT, [&](uint64_t received, uint64_t length) {
            ShowProgress(dlg, ProgressPosition(base, share, received, length));
            return !dlg->IsStopping();
        });
        // Closing the assistant: no message, no file, no setup program.
        if (dlg->IsStopping())
            return 1;
        switch (got.outcome) {
        case HttpOutcome::Ok:
            break;
        case HttpOutcome::Unreachable:
        case HttpOutcome::Stopped:
            return 1;
        case HttpOutcome::NotFound: {
            CString host, path;
            SplitUrl(url, host, path);
            ReportFailure(dlg, FormatResString(2, path));
            return 1;
        }
        case HttpOutcome::NetworkError:
        case HttpOutcome::BadResponse:
            ReportFailure(dlg, LoadResString(3));
            return 1;
        }
        base += share;

        DownloadKind kind = DownloadKind::DataFile;
        const CString local = LocalDownloadPath(url, dlg->OsKind, folders, kind);
        if (kind == DownloadKind::Setup)
            setupPath = local;
        // Going on would launch a stale setup program or install without its lists.
        if (!StoreFile(local, got)) {
            ReportFailure(dlg, TEXT_CANNOT_CREATE_FILES);
            return 1;
        }
        if (kind == DownloadKind::OdbcLibrary)
            dlg->RegisterOdbcDriver(local);
    }

    ShowProgress(dlg, 400);
    // Lets the visitor see the full bar before setup takes over the screen,
    // unless the assistant is being closed meanwhile.
    if (::WaitForSingleObject(dlg->m_hStop, 1000) == WAIT_OBJECT_0)
        return 1;
    if (IsVistaOrLater(dlg->OsKind))
        dlg->LaunchSetupElevated(setupPath, "", 1);
    else
        dlg->LaunchSetup(setupPath, "", 1);
    ::PostMessageA(::GetParent(dlg->m_hWnd), WM_SETUP_DONE, 0, 0);
    return 1;
}

BOOL CInstallDlg::DownloadPartnerLibrary()
{
    const CInstallPaths paths;
    // The library is stored and loaded from the product folder on every
    // family, and on Windows 98 nothing else has made that folder yet.
    _mkdir(paths.m_strDownloadDir);
    AfxSocketInit();
    const HttpDownload got =
        HttpGetFile(CString(DOWNLOAD_SERVER_HOST) + "/tlfree/data/VestaINet.dll", DOWNLOAD_SERVER_PORT);
    // A copy left by an earlier run may be outdated: after a failure the
    // check is not asked at all.
    if (got.outcome != HttpOutcome::Ok) {
        ReportFailure(this, CANNOT_DOWNLOAD_PARTNER_LIBRARY);
        return FALSE;
    }
    if (!StoreFile(paths.m_strPartnerLibrary, got)) {
        ReportFailure(this, TEXT_CANNOT_CREATE_FILES);
        return FALSE;
    }
    return TRUE;
}
