#include "framework/Winsock.h"

#include "framework/SystemLibrary.h"

WinsockApi ResolveWinsock(HMODULE h)
{
    WinsockApi api;
    ResolveFunction<WSASYSNOTREADY>(h, "WSAStartup", api.WSAStartup);
    ResolveFunction<WSASYSNOTREADY>(h, "WSAGetLastError", api.WSAGetLastError);
    ResolveFunction<INVALID_SOCKET>(h, "socket", api.socket);
    ResolveFunction<SOCKET_ERROR>(h, "connect", api.connect);
    ResolveFunction<SOCKET_ERROR>(h, "ioctlsocket", api.ioctlsocket);
    ResolveFunction<SOCKET_ERROR>(h, "getsockopt", api.getsockopt);
    ResolveFunction<SOCKET_ERROR>(h, "select", api.select);
    ResolveFunction<SOCKET_ERROR>(h, "send", api.send);
    ResolveFunction<SOCKET_ERROR>(h, "recv", api.recv);
    ResolveFunction<SOCKET_ERROR>(h, "closesocket", api.closesocket);
    ResolveFunction(h, "gethostbyname", api.gethostbyname);
    ResolveFunction<INADDR_NONE>(h, "inet_addr", api.inet_addr);
    return api;
}

const WinsockApi& Winsock()
{
    // Loaded once for the whole process and never released.
    static const WinsockApi api = ResolveWinsock(LoadSystemLibrary("ws2_32.dll"));
    return api;
}
