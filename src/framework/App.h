// CWinApp: the process's application object. The framework's WinMain calls
// InitInstance; when it returns FALSE the process ends without a message loop.
#pragma once

#include "framework/Wnd.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// Initialises OLE on the user-interface thread so ActiveX controls can be hosted.
BOOL AfxEnableControlContainer();

// A message box owned by the active window of the process, captioned with the
// product name (IDS_PRODUCT_NAME).
int AfxMessageBox(const char* pszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// Entry point used by WinMain.
int AfxWinMain(HINSTANCE hInstance);
