#include "app/JoinWebDlg.h"

#include "app/DownloadDialogRule.h"
#include "app/Messages.h"
#include "BuildConfig.h"
#include "framework/Gdi.h"
#include "net/HttpExchange.h"

#include <exdispid.h>
#include <mshtml.h>

namespace {

const char kJoinPagePath[] = "/tlfree/TLuserInfo.php";

CString JoinPageUrl()
{
    return HttpAddress(WEB_SERVICE_HOST, WEB_SERVICE_PORT) + kJoinPagePath;
}

// The page is cut to the window (see OnInitDialog); its own scroll bars would
// only show the cut.
void HidePageScrollBars(IDispatch* pDisp)
{
    ComPtr<IWebBrowser2> browser;
    ComPtr<IDispatch> docDispatch;
    ComPtr<IHTMLDocument2> doc;
    ComPtr<IHTMLElement> body;
    ComPtr<IHTMLBodyElement> bodyElement;
    if (FAILED(ComPtr<IDispatch>(pDisp).As(IID_IWebBrowser2, browser)))
        return;
    // S_FALSE and no document while nothing has loaded.
    if (FAILED(browser->get_Document(docDispatch.put())) || !docDispatch)
        return;
    if (FAILED(docDispatch.As(IID_IHTMLDocument2, doc)) || FAILED(doc->get_body(body.put())) || !body)
        return;
    if (SUCCEEDED(body.As(IID_IHTMLBodyElement, bodyElement)))
        bodyElement->put_scroll(CComBSTR(L"no"));
}

// The text of the nth child (1 = first in z-order) of a window; empty when
// there is no such child.
void ReadChildText(HWND hParent, int nth, char (&text)[1024])
{
    text[0] = '\0';
    HWND hChild = ::GetWindow(hParent, GW_CHILD);
    for (int i = 1; hChild && i < nth; ++i)
        hChild = ::GetWindow(hChild, GW_HWNDNEXT);
    if (hChild)
        ::GetWindowTextA(hChild, text, sizeof(text));
}

// The URL of BeforeNavigate2 as the browser passes it: a string, or a
// variant holding one.
const VARIANT* NavigationUrl(const VARIANTARG& arg)
{
    const VARIANT* v = &arg;
    if (v->vt == (VT_BYREF | VT_VARIANT))
        v = v->pvarVal;
    return v && v->vt == VT_BSTR && v->bstrVal ? v : nullptr;
}

} // namespace

DWORD CJoinWebDlg::s_dwWatchIdleMs = 60000;

CJoinWebDlg::CJoinWebDlg(CWnd* pParent) : CDialog(IDD_JOINWEB_DIALOG, pParent) {}

void CJoinWebDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EXPLORER, m_browser);
}

BOOL CJoinWebDlg::OnInitDialog()
{
    // A dialog template cannot hold an ActiveX control: the browser takes the
    // place and id of the template's placeholder.
    RECT rc{};
    if (HWND hPlaceholder = GetDlgItem(IDC_EXPLORER)) {
        ::GetWindowRect(hPlaceholder, &rc);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        ::DestroyWindow(hPlaceholder);
    }
    m_browser.Create(nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, rc, this, IDC_EXPLORER, this);
    CDialog::OnInitDialog();

    // Only the page's part from (205, 266) on belongs in the window.
    m_browser.MoveWindow(-205, -266, 1205, 1266);
    m_browser.Navigate(JoinPageUrl(), nullptr, nullptr, nullptr, nullptr);
    return TRUE;
}

BOOL CJoinWebDlg::PreTranslateMessage(MSG* pMsg)
{
    switch (pMsg->message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        return TRUE; // no context menu on the page
    case WM_LBUTTONDOWN:
        // The visitor works with the page now: the main window stops covering
        // other windows.
        if (HWND hMain = GetParentHwnd())
            ::SetWindowPos(hMain, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        break;
    default:
        break;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

LRESULT CJoinWebDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PaintDC dc(m_hWnd); // the browser covers everything
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

HRESULT CJoinWebDlg::OnBrowserEvent(DISPID dispid, DISPPARAMS* pParams)
{
    const UINT cArgs = pParams && pParams->rgvarg ? pParams->cArgs : 0;
    VARIANTARG* args = cArgs ? pParams->rgvarg : nullptr;
    switch (dispid) {
    case DISPID_BEFORENAVIGATE2: {
        // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel), last first.
        const VARIANT* pURL = cArgs >= 7 ? NavigationUrl(args[cArgs - 2]) : nullptr;
        if (pURL) {
            char url[2048] = {};
            ::WideCharToMultiByte(CP_ACP, 0, pURL->bstrVal, -1, url, sizeof(url) - 1, nullptr, nullptr);
            if (NamesSetupFile(url))
                WatchForDownload();
        }
        return S_OK;
    }
    case DISPID_DOWNLOADBEGIN:
        WatchForDownload();
        return S_OK;
    case DISPID_FILEDOWNLOAD: {
        // (ActiveDocument, Cancel), last first. Browsers before ActiveDocument
        // existed pass Cancel alone.
        if (cArgs < 1 || args[0].vt != (VT_BYREF | VT_BOOL) || !args[0].pboolVal)
            return DISP_E_TYPEMISMATCH;
        const BOOL bActiveDocument = cArgs >= 2 && args[1].vt == VT_BOOL && args[1].boolVal != VARIANT_FALSE;
        const BOOL bWasCancel = *args[0].pboolVal != VARIANT_FALSE;
        BOOL bCancel = bWasCancel;
        OnFileDownload(bActiveDocument, &bCancel);
        if (bCancel != bWasCancel)
            *args[0].pboolVal = bCancel ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    case DISPID_DOCUMENTCOMPLETE: {
        // (pDisp, URL), last first.
        IDispatch* pDisp = cArgs >= 2 && args[1].vt == VT_DISPATCH ? args[1].pdispVal : nullptr;
        VARIANT* pURL = cArgs >= 1 && args[0].vt == (VT_BYREF | VT_VARIANT) ? args[0].pvarVal : nullptr;
        OnDocumentComplete(pDisp, pURL);
        return S_OK;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

void CJoinWebDlg::OnFileDownload(BOOL, BOOL*)
{
    // Cancel stays as it is: the browser goes on to its download dialog,
    // which the watcher is waiting for.
    WatchForDownload();
}

void CJoinWebDlg::WatchForDownload()
{
    CSingleLock hold(&m_watchLock);
    m_dwLastDownloadEvent = ::GetTickCount();
    if (m_pWatchThread)
        return;
    // Suspended until the pointer is stored: a watcher that finds the dialog
    // at once clears it itself, and must not be overwritten afterwards.
    CWinThread* pThread =
        AfxBeginThread(&DownloadWatchThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    // None could start: the browser's next event tries again.
    if (!pThread)
        return;
    m_pWatchThread = pThread;
    pThread->ResumeThread();
}

bool CJoinWebDlg::EndWatchIfIdle(DWORD dwLastDialog)
{
    CSingleLock hold(&m_watchLock);
    const DWORD now = ::GetTickCount();
    if (now - m_dwLastDownloadEvent < s_dwWatchIdleMs || now - dwLastDialog < s_dwWatchIdleMs)
        return false;
    m_pWatchThread = nullptr;
    return true;
}

void CJoinWebDlg::OnDocumentComplete(LPDISPATCH pDisp, VARIANT*)
{
    HidePageScrollBars(pDisp);
    SendMessage(WM_PAINT);
}

UINT CJoinWebDlg::DownloadWatchThreadProc(LPVOID pParam)
{
    auto* pDlg = static_cast<CJoinWebDlg*>(pParam);
    const HWND hDlg = pDlg->m_hWnd;
    char szWarningFile[1024];
    char szPlainSite[1024];
    DWORD dwLastDialog = ::GetTickCount();
    for (;;) {
        // Looked up on every pass. None once the page is gone: then there is
        // nobody to start an installation.
        const HWND hMain = ::GetParent(hDlg);
        if (!hMain)
            return 0;

        const HWND hWarning = ::FindWindowA(nullptr, DOWNLOAD_WARNING_TITLE);
        if (hWarning)
            ReadChildText(hWarning, 4, szWarningFile);
        const HWND hPlain = ::FindWindowA(nullptr, DOWNLOAD_PLAIN_TITLE);
        if (hPlain)
            ReadChildText(hPlain, 2, szPlainSite);

        const DownloadDialog found = RecogniseDownloadDialog(hWarning ? szWarningFile : nullptr,
                                                             hPlain ? szPlainSite : nullptr, PARTNER_SITE_HOST);
        if (found != DownloadDialog::None) {
            // The browser saves nothing; the installation fetches its own files.
            ::PostMessageA(found == DownloadDialog::SecurityWarning ? hWarning : hPlain, WM_COMMAND, IDCANCEL, 0);
            ::PostMessageA(hMain, WM_SETUP_START, 1, 0);
            CSingleLock hold(&pDlg->m_watchLock);
            pDlg->m_pWatchThread = nullptr;
            return 0;
        }
        // While one of the browser's download dialogs shows, the visitor is
        // still deciding about a download: the watch goes on.
        if (hWarning || hPlain)
            dwLastDialog = ::GetTickCount();
        else if (pDlg->EndWatchIfIdle(dwLastDialog))
            return 0;
        // Each pass looks at other processes' windows, which on Windows 9x
        // takes the system-wide Win16 lock: ten passes a second are quick
        // enough for a person and leave the system alone.
        ::Sleep(100);
    }
}
