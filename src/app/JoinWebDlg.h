// CJoinWebDlg: the vendor's sign-up page between the main window's bands. When
// the page's download of our setup file reaches the browser's own download
// dialog, a watcher thread cancels that dialog and has the main dialog run the
// installation instead.
#pragma once

#include "app/WebBrowser2.h"
#include "framework/Dialog.h"
#include "framework/Thread.h"
#include "res/resource.h"

#include <atomic>

class CJoinWebDlg : public CDialog, private CBrowserEvents {
public:
    explicit CJoinWebDlg(CWnd* pParent = nullptr);

    // The running watcher; null when none runs. The watcher clears it itself.
    std::atomic<CWinThread*> m_pWatchThread{nullptr};
    CWebBrowser2 m_browser;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Browser events.
    void OnFileDownload(BOOL ActiveDocument, BOOL* Cancel);
    void OnDocumentComplete(LPDISPATCH pDisp, VARIANT* URL);

    // Polls for the browser's download dialog until it recognises ours.
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
};
