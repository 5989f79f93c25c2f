// CSocket: a blocking Windows Sockets stream, with the calls the downloader
// makes. The framework's notification window is left out: every call blocks
// until it is done, so the event mask has nothing to drive.
#pragma once

#include "framework/WinTypes.h"

// Starts Windows Sockets for the process; safe to call from every thread.
BOOL AfxSocketInit();

class CSocket {
public:
    CSocket() = default;
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    ~CSocket() { Close(); }

    // An unbound socket: the downloader only ever connects out.
    BOOL Create(int nSocketType = SOCK_STREAM);
    // The host is a dotted address or a name to resolve. A name that has not
    // resolved and a peer that has not answered within nTimeoutMs, the two
    // together, count as unreachable.
    BOOL Connect(LPCSTR lpszHostAddress, UINT nHostPort, DWORD nTimeoutMs = INFINITE);
    // Blocks until all nBufLen bytes are sent; the count, or SOCKET_ERROR.
    int Send(const void* lpBuf, int nBufLen, int nFlags = 0);
    // Bytes received, 0 when the peer closed, SOCKET_ERROR on failure.
    int Receive(void* lpBuf, int nBufLen, int nFlags = 0);
    void Close();

    SOCKET m_hSocket = INVALID_SOCKET;
};
