#include "framework/App.h"
#include "framework/SystemLibrary.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    // Before any library is loaded on demand.
    HardenDllSearch();
    return AfxWinMain(hInstance);
}
