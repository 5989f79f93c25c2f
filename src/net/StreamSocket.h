// The little a file download needs from a TCP stream: connect, send, receive.
// On Windows it runs over the framework's CSocket, elsewhere over POSIX
// sockets, so the HTTP exchange above it is the same code in both builds.
#pragma once

#include "WinTypes.h"

#include <memory>

class IStreamSocket {
public:
    virtual ~IStreamSocket() = default;
    // Resolves the host (IPv4, as the download server has always been reached) and connects.
    virtual bool Connect(const char* pszHost, UINT nPort) = 0;
    // Sends every byte or fails; false on failure.
    virtual bool SendAll(const void* pBuf, int nLen) = 0;
    // Bytes received, 0 once the peer has closed, -1 on an error or after
    // nIdleMs without any byte (0: wait for ever).
    virtual int Receive(void* pBuf, int nLen) = 0;
    // False when the bound could not be set: a receive might then never return.
    virtual bool SetIdleTimeout(DWORD nIdleMs) = 0;
};

// A fresh, unconnected socket; null when the socket layer is unavailable.
std::unique_ptr<IStreamSocket> CreateStreamSocket();
