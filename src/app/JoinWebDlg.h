// CJoinWebDlg: the vendor's sign-up page between the main window's bands. When
// the page's download of our setup file reaches the browser's own download
// dialog, a watcher thread cancels that dialog and has the main dialog run the
// installation instead. The browser's FileDownload starts the watcher; where
// the browser has no such event (Internet Explorer 4 and 5.0), DownloadBegin
// or a navigation to our setup file does.
#pragma once

#include "app/WebBrowser2.h"
#include "framework/Dialog.h"
#include "framework/Sync.h"
#include "framework/Thread.h"
#include "res/resource.h"

#include <atomic>

class CJoinWebDlg : public CDialog, private CBrowserEvents {
public:
    explicit CJoinWebDlg(CWnd* pParent = nullptr);

    // The running watcher; null when none runs. The watcher clears it itself.
    std::atomic<CWinThread*> m_pWatchThread{nullptr};
    CWebBrowser2 m_browser;
    // How long a watcher goes on after the last download event while no
    // download dialog of the browser shows; tests shorten it.
    static DWORD s_dwWatchIdleMs;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Browser events.
    void OnFileDownload(BOOL ActiveDocument, BOOL* Cancel);
    void OnDocumentComplete(LPDISPATCH pDisp, VARIANT* URL);

    // Polls for the browser's download dialog every 100 ms until it
    // recognises ours, the page goes, or it has waited long enough.
    static UINT DownloadWatchThreadProc(LPVOID pParam);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter and Esc inside the page must not close it.
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HRESULT OnBrowserEvent(DISPID dispid, DISPPARAMS* pParams) override;
    // Starts the watcher, or gives the running one its full wait again.
    void WatchForDownload();
    // The watcher's end, unless an event has come within its wait.
    bool EndWatchIfIdle(DWORD dwLastDialog);

    // The watcher's pointer and the time of the last download event.
    CCriticalSection m_watchLock;
    DWORD m_dwLastDownloadEvent = 0;
};
