#include "framework/App.h"

#include "res/resource.h" // the application's title heads its message boxes

#include <commctrl.h>
#include <ole2.h>

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp()
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

int CWinApp::Run()
{
    while (AfxPumpMessage()) {
    }
    return ExitInstance();
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

BOOL AfxEnableControlContainer()
{
    return SUCCEEDED(::OleInitialize(nullptr));
}

int AfxMessageBox(const char* pszText, UINT nType, UINT)
{
    CString caption;
    caption.LoadString(IDS_PRODUCT_NAME);
    return ::MessageBoxA(::GetActiveWindow(), pszText, caption, nType);
}

int AfxWinMain(HINSTANCE hInstance)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->m_hInstance = hInstance;
    // The progress bar is the only common control; the IE 4 common controls
    // of Windows 98 and NT 4.0 know its class flag.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
    if (!pApp->InitInstance())
        return pApp->ExitInstance();
    return pApp->Run();
}
