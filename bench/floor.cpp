// The floor for the installation timeline: the least a Win32 dialog program
// does for the same steps under the same Wine. It shows a dialog; the start
// message (WM_USER + 10) starts the program named on the command line through
// the shell, as the assistant starts setup, and ends the dialog and the process.
//   floor SETUP.exe
#include <windows.h>
#include <shellapi.h>

namespace {

const char* g_setup = "";

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_USER + 10: {
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof(info);
        info.lpVerb = "open";
        info.lpFile = g_setup;
        info.nShow = SW_SHOWDEFAULT;
        ::ShellExecuteExA(&info);
        ::EndDialog(hDlg, 0);
        return TRUE;
    }
    case WM_CLOSE:
        ::EndDialog(hDlg, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int)
{
    g_setup = lpCmdLine;
    // A template in memory: caption, no controls, 200 x 100 dialog units.
#pragma pack(push, 2)
    struct {
        DLGTEMPLATE dlg;
        WORD menu, cls, title[6];
    } tmpl = {};
#pragma pack(pop)
    tmpl.dlg.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_CENTER;
    tmpl.dlg.cx = 200;
    tmpl.dlg.cy = 100;
    const wchar_t title[] = L"floor";
    for (int i = 0; i < 6; ++i)
        tmpl.title[i] = static_cast<WORD>(title[i]);
    return static_cast<int>(::DialogBoxIndirectParamA(hInstance, &tmpl.dlg, nullptr, &DialogProc, 0));
}
