// The control of the planted-library check: a program that imports WinINet
// by name, as the assistant once did. Its run must leave the marker, or the
// check could not tell a planted library from one never looked at.
#include <windows.h>
#include <wininet.h>

// The import is bound at load time but never called: the planted copy has no
// such function, and a call would end in Wine's crash dialog, which waits.
int main()
{
    HINTERNET(WINAPI * volatile open)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD) = &::InternetOpenA;
    return open ? 0 : 1;
}
