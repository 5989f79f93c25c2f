// The control of the planted-library check: a program that asks for WinINet
// by name alone, as an import does. Its run must leave the marker, or the
// check could not tell a planted library from one never looked at.
#include <windows.h>

int main()
{
    HMODULE h = ::LoadLibraryA("wininet.dll");
    if (h)
        ::FreeLibrary(h);
    return 0;
}
