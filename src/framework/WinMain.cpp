#include "App.h"
#include "SystemLibrary.h"

namespace {

// Before any library is loaded on demand, and before the other start-up
// code: the stack protector's runtime draws its guard through CryptoAPI in a
// constructor of its own, which loads the base provider and what it imports.
__attribute__((constructor(101))) void HardenDllSearchFirst()
{
    HardenDllSearch();
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    return AfxWinMain(hInstance);
}
