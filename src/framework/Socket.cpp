#include "framework/Socket.h"

#include "framework/String.h"
#include "framework/Thread.h"
#include "framework/Winsock.h"

namespace {

BOOL StartWinsock()
{
    WSADATA data;
    return Winsock().WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

// Byte order of the network for the port (Winsock's own would be one more
// call through the table for a shift).
u_short NetworkOrder(UINT nPort)
{
    return static_cast<u_short>(((nPort & 0xFF) << 8) | ((nPort >> 8) & 0xFF));
}

} // namespace

BOOL AfxSocketInit()
{
    // A function-local static is initialised once even when two threads
    // arrive together.
    static const BOOL started = StartWinsock();
    return started;
}

BOOL CSocket::Create(int nSocketType)
{
    Close();
    m_hSocket = Winsock().socket(AF_INET, nSocketType, 0);
    return m_hSocket != INVALID_SOCKET;
}

namespace {

// Winsock 1.1 has no connect timeout: the connect runs non-blocking and
// select waits for its outcome; the socket is blocking again afterwards.
bool ConnectWithin(SOCKET s, const sockaddr_in& peer, DWORD nTimeoutMs)
{
    u_long nonBlocking = nTimeoutMs != INFINITE;
    if (nonBlocking && Winsock().ioctlsocket(s, FIONBIO, &nonBlocking) != 0)
        return false;
    bool connected = Winsock().connect(s, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) == 0;
    if (!connected && nonBlocking && Winsock().WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval wait{static_cast<long>(nTimeoutMs / 1000), static_cast<long>(nTimeoutMs % 1000) * 1000};
        int error = 0;
        int size = sizeof(error);
        // Winsock leaves only the ready sockets in each set (FD_ISSET would
        // import __WSAFDIsSet, which nothing proves on the old systems).
        connected = Winsock().select(0, nullptr, &writable, &failed, &wait) == 1 && writable.fd_count == 1 &&
                    Winsock().getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
                    error == 0;
    }
    u_long blocking = 0;
    return connected && (!nonBlocking || Winsock().ioctlsocket(s, FIONBIO, &blocking) == 0);
}

// gethostbyname has no bound of its own, so it runs on a thread the caller
// may stop waiting for. The caller and the thread share this block, and
// whichever leaves last frees it: a lookup that answers late answers nobody.
struct HostLookup {
    explicit HostLookup(LPCSTR pszName) : name(pszName) {}
    void Release()
    {
        if (::InterlockedDecrement(&refs) == 0)
            delete this;
    }

    const CString name;
    in_addr address{};
    bool found = false;
    LONG refs = 2;
};

UINT LookUpHost(LPVOID pParam)
{
    auto* lookup = static_cast<HostLookup*>(pParam);
    // Winsock 1.1 name resolution: getaddrinfo is missing before Windows XP.
    // Winsock keeps one hostent per thread, so it is copied here.
    const hostent* host = Winsock().gethostbyname(lookup->name);
    if (host && host->h_addrtype == AF_INET && host->h_length == 4 && host->h_addr_list[0]) {
        memcpy(&lookup->address, host->h_addr_list[0], 4);
        lookup->found = true;
    }
    lookup->Release();
    return 0;
}

bool ResolveWithin(LPCSTR pszName, DWORD nTimeoutMs, in_addr& address)
{
    auto* lookup = new HostLookup(pszName);
    CWinThread* thread = AfxBeginThread(&LookUpHost, lookup, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread) {
        delete lookup;
        return false;
    }
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    const bool answered = thread->Join(nTimeoutMs) != FALSE;
    delete thread; // a lookup still running goes on without its object
    const bool found = answered && lookup->found;
    if (found)
        address = lookup->address;
    lookup->Release();
    return found;
}

} // namespace

BOOL CSocket::Connect(LPCSTR lpszHostAddress, UINT nHostPort, DWORD nTimeoutMs)
{
    if (m_hSocket == INVALID_SOCKET || !lpszHostAddress || !*lpszHostAddress)
        return FALSE;
    const DWORD start = ::GetTickCount();
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = NetworkOrder(nHostPort);
    peer.sin_addr.s_addr = Winsock().inet_addr(lpszHostAddress);
    if (peer.sin_addr.s_addr == INADDR_NONE && !ResolveWithin(lpszHostAddress, nTimeoutMs, peer.sin_addr))
        return FALSE;
    if (nTimeoutMs != INFINITE) {
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= nTimeoutMs)
            return FALSE;
        nTimeoutMs -= spent;
    }
    return ConnectWithin(m_hSocket, peer, nTimeoutMs);
}

int CSocket::Send(const void* lpBuf, int nBufLen, int nFlags)
{
    const char* p = static_cast<const char*>(lpBuf);
    int left = nBufLen;
    while (left > 0) {
        const int n = Winsock().send(m_hSocket, p, left, nFlags);
        if (n == SOCKET_ERROR)
            return SOCKET_ERROR;
        p += n;
        left -= n;
    }
    return nBufLen;
}

int CSocket::Receive(void* lpBuf, int nBufLen, int nFlags)
{
    return Winsock().recv(m_hSocket, static_cast<char*>(lpBuf), nBufLen, nFlags);
}

void CSocket::Close()
{
    if (m_hSocket != INVALID_SOCKET)
        Winsock().closesocket(m_hSocket);
    m_hSocket = INVALID_SOCKET;
}
