// Windows Sockets, loaded from the system folder when first used: ws2_32 is
// no known DLL on the older systems, so an import of it would be looked for
// in the program's folder first. Every entry is callable: where the library
// or a function is missing it fails as Winsock fails (SOCKET_ERROR,
// INVALID_SOCKET, INADDR_NONE or null), never with a result that reads as
// success.
#pragma once

#include "framework/WinTypes.h"

struct WinsockApi {
    decltype(&::WSAStartup) WSAStartup;
    decltype(&::WSAGetLastError) WSAGetLastError;
    decltype(&::socket) socket;
    decltype(&::connect) connect;
    decltype(&::ioctlsocket) ioctlsocket;
    decltype(&::getsockopt) getsockopt;
    decltype(&::select) select;
    decltype(&::send) send;
    decltype(&::recv) recv;
    decltype(&::closesocket) closesocket;
    decltype(&::gethostbyname) gethostbyname;
    decltype(&::inet_addr) inet_addr;
};

// The table of the given module (null: everything missing).
WinsockApi ResolveWinsock(HMODULE hModule);
const WinsockApi& Winsock();
