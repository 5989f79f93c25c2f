#include "framework/WinInet.h"

#include "framework/SystemLibrary.h"

namespace {

WinInetApi LoadWinInet()
{
    const HMODULE h = LoadSystemLibrary("wininet.dll");
    WinInetApi api;
    ResolveFunction(h, "InternetOpenA", api.InternetOpenA);
    ResolveFunction(h, "InternetConnectA", api.InternetConnectA);
    ResolveFunction(h, "InternetOpenUrlA", api.InternetOpenUrlA);
    ResolveFunction(h, "InternetSetOptionA", api.InternetSetOptionA);
    ResolveFunction(h, "InternetQueryDataAvailable", api.InternetQueryDataAvailable);
    ResolveFunction(h, "InternetReadFile", api.InternetReadFile);
    ResolveFunction(h, "InternetCloseHandle", api.InternetCloseHandle);
    ResolveFunction(h, "HttpOpenRequestA", api.HttpOpenRequestA);
    ResolveFunction(h, "HttpSendRequestA", api.HttpSendRequestA);
    ResolveFunction(h, "HttpQueryInfoA", api.HttpQueryInfoA);
    return api;
}

} // namespace

const WinInetApi& WinInet()
{
    // Loaded once for the whole process and never released.
    static const WinInetApi api = LoadWinInet();
    return api;
}
