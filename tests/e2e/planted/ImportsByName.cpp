// The control of the planted-library check: a program that imports WinINet
// by name, as the assistant once did. Its run must leave the marker, or the
// check could not tell a planted library from one never looked at.
#include <windows.h>
#include <wininet.h>

int main()
{
    HINTERNET h = ::InternetOpenA("planted-control", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (h)
        ::InternetCloseHandle(h);
    return 0;
}
