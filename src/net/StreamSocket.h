// The little a file download needs from a TCP stream: connect, send, receive,
// each with a bound on the wait. On Windows it runs over the framework's
// CSocket, elsewhere over POSIX sockets, so the HTTP exchange above it is the
// same code in both builds.
#pragma once

#include "framework/WinTypes.h"

#include <memory>

class IStreamSocket {
public:
    enum { RECEIVE_FAILED = -1, RECEIVE_TIMED_OUT = -2 };

    virtual ~IStreamSocket() = default;
    // Resolves the host (IPv4, as the download server has always been reached)
    // and connects; a host that is not resolved and answering within
    // nTimeoutMs, both together, is unreachable.
    virtual bool Connect(const char* pszHost, UINT nPort, DWORD nTimeoutMs) = 0;
    // Sends every byte or fails; false on failure.
    virtual bool SendAll(const void* pBuf, int nLen) = 0;
    // Bytes received, 0 once the peer has closed, RECEIVE_FAILED on an error,
    // RECEIVE_TIMED_OUT when no byte arrived within nWaitMs.
    virtual int Receive(void* pBuf, int nLen, DWORD nWaitMs) = 0;
};

// A fresh, unconnected socket; null when the socket layer is unavailable.
std::unique_ptr<IStreamSocket> CreateStreamSocket();

// A millisecond clock for deadlines; it wraps, so only differences count.
DWORD TickMs();
