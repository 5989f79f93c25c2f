#include "net/StreamSocket.h"

#ifdef _WIN32

#include "framework/Socket.h"
#include "framework/Winsock.h"

namespace {

class CWinStreamSocket : public IStreamSocket {
public:
    bool Create() { return m_socket.Create() != FALSE; }
    bool Connect(const char* pszHost, UINT nPort, DWORD nTimeoutMs) override
    {
        return m_socket.Connect(pszHost, nPort, nTimeoutMs) != FALSE;
    }
    bool SendAll(const void* pBuf, int nLen) override { return m_socket.Send(pBuf, nLen) == nLen; }
    // select is in Winsock 1.1 and bounds each wait on its own, unlike
    // SO_RCVTIMEO, which would have to be set again for every deadline.
    int Receive(void* pBuf, int nLen, DWORD nWaitMs) override
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket.m_hSocket, &readable);
        timeval wait{static_cast<long>(nWaitMs / 1000), static_cast<long>(nWaitMs % 1000) * 1000};
        const int ready = Winsock().select(0, &readable, nullptr, nullptr, &wait);
        if (ready == 0)
            return RECEIVE_TIMED_OUT;
        const int n = ready < 0 ? SOCKET_ERROR : m_socket.Receive(pBuf, nLen);
        return n == SOCKET_ERROR ? RECEIVE_FAILED : n;
    }

private:
    CSocket m_socket;
};

} // namespace

std::unique_ptr<IStreamSocket> CreateStreamSocket()
{
    auto s = std::make_unique<CWinStreamSocket>();
    if (!s->Create())
        return nullptr;
    return s;
}

DWORD TickMs()
{
    return ::GetTickCount();
}

#else

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

class CPosixStreamSocket : public IStreamSocket {
public:
    explicit CPosixStreamSocket(int fd) : m_fd(fd) {}
    ~CPosixStreamSocket() override { ::close(m_fd); }

    bool Connect(const char* pszHost, UINT nPort, DWORD nTimeoutMs) override
    {
        if (!pszHost || !*pszHost)
            return false;
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(pszHost, nullptr, &hints, &found) != 0 || !found)
            return false;
        sockaddr_in peer = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
        ::freeaddrinfo(found);
        peer.sin_port = htons(static_cast<uint16_t>(nPort));
        const int flags = ::fcntl(m_fd, F_GETFL);
        if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) != 0)
            return false;
        bool connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&peer), sizeof(peer)) == 0;
        if (!connected && (errno == EINPROGRESS || errno == EINTR) && Wait(POLLOUT, nTimeoutMs) > 0) {
            int error = 0;
            socklen_t size = sizeof(error);
            connected = ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
        }
        return ::fcntl(m_fd, F_SETFL, flags) == 0 && connected;
    }

    bool SendAll(const void* pBuf, int nLen) override
    {
        const char* p = static_cast<const char*>(pBuf);
        while (nLen > 0) {
            const ssize_t n = ::send(m_fd, p, static_cast<size_t>(nLen), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            p += n;
            nLen -= static_cast<int>(n);
        }
        return true;
    }

    // Bytes already there are taken without a wait; only an empty socket
    // costs the poll.
    int Receive(void* pBuf, int nLen, DWORD nWaitMs) override
    {
        for (bool waited = false;; waited = true) {
            const ssize_t n = ::recv(m_fd, pBuf, static_cast<size_t>(nLen), MSG_DONTWAIT);
            if (n >= 0)
                return static_cast<int>(n);
            if (errno == EINTR)
                continue;
            if ((errno != EAGAIN && errno != EWOULDBLOCK) || waited)
                return RECEIVE_FAILED;
            const int ready = Wait(POLLIN, nWaitMs);
            if (ready <= 0)
                return ready == 0 ? RECEIVE_TIMED_OUT : RECEIVE_FAILED;
        }
    }

private:
    // 1 when the event came, 0 when the wait ran out, -1 on an error.
    int Wait(short event, DWORD nWaitMs)
    {
        const DWORD start = TickMs();
        for (;;) {
            const DWORD spent = TickMs() - start;
            pollfd one{m_fd, event, 0};
            const int timeout = nWaitMs == INFINITE ? -1 : static_cast<int>(nWaitMs - std::min(spent, nWaitMs));
            const int rc = ::poll(&one, 1, timeout);
            if (rc >= 0 || errno != EINTR)
                return rc > 0 ? 1 : rc;
        }
    }

    int m_fd;
};

} // namespace

std::unique_ptr<IStreamSocket> CreateStreamSocket()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    return std::make_unique<CPosixStreamSocket>(fd);
}

DWORD TickMs()
{
    // Not <chrono>: its C++20 unit suffixes cannot be written in the code page
    // these sources are compiled to.
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

#endif
