#include "framework/App.h"

#include "framework/Ole.h"
#include "framework/SystemLibrary.h"
#include "res/resource.h" // the application's title heads its message boxes

#include <commctrl.h>

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
    return SUCCEEDED(Ole32().OleInitialize(nullptr));
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
    // of Windows 98 and NT 4.0 know its class flag. comctl32 is a known DLL
    // on none of the supported systems, so it is taken from the system
    // folder rather than imported.
    decltype(&::InitCommonControlsEx) initCommonControlsEx = nullptr;
    ResolveFunction(LoadSystemLibrary("comctl32.dll"), "InitCommonControlsEx", initCommonControlsEx);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    initCommonControlsEx(&icc);
    if (!pApp->InitInstance())
        return pApp->ExitInstance();
    return pApp->Run();
}
