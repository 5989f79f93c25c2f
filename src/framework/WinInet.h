// WinINet, loaded from the system folder when first used. Every entry is
// callable: where the library or a function is missing it fails as WinINet
// fails (FALSE or null, GetLastError() set).
#pragma once

#include "framework/WinTypes.h"

#include <wininet.h>

struct WinInetApi {
    decltype(&::InternetOpenA) InternetOpenA;
    decltype(&::InternetConnectA) InternetConnectA;
    decltype(&::InternetOpenUrlA) InternetOpenUrlA;
    decltype(&::InternetSetOptionA) InternetSetOptionA;
    decltype(&::InternetQueryDataAvailable) InternetQueryDataAvailable;
    decltype(&::InternetReadFile) InternetReadFile;
    decltype(&::InternetCloseHandle) InternetCloseHandle;
    decltype(&::HttpOpenRequestA) HttpOpenRequestA;
    decltype(&::HttpSendRequestA) HttpSendRequestA;
    decltype(&::HttpQueryInfoA) HttpQueryInfoA;
};

const WinInetApi& WinInet();
