#include "StreamSocket.h"

#ifdef _WIN32

#include "Socket.h"

namespace {

class CWinStreamSocket : public IStreamSocket {
public:
    bool Create() { return m_socket.Create(0, SOCK_STREAM, 63, nullptr) != FALSE; }
    bool Connect(const char* pszHost, UINT nPort) override { return m_socket.Connect(pszHost, nPort) != FALSE; }
    bool SendAll(const void* pBuf, int nLen) override { return m_socket.Send(pBuf, nLen) == nLen; }
    int Receive(void* pBuf, int nLen) override
    {
        const int n = m_socket.Receive(pBuf, nLen);
        return n == SOCKET_ERROR ? -1 : n;
    }
    bool SetIdleTimeout(DWORD nIdleMs) override
    {
        return m_socket.SetSockOpt(SO_RCVTIMEO, &nIdleMs, sizeof(nIdleMs)) != FALSE;
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

#else

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>

namespace {

class CPosixStreamSocket : public IStreamSocket {
public:
    explicit CPosixStreamSocket(int fd) : m_fd(fd) {}
    ~CPosixStreamSocket() override { ::close(m_fd); }

    bool Connect(const char* pszHost, UINT nPort) override
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
        int rc;
        do
            rc = ::connect(m_fd, reinterpret_cast<sockaddr*>(&peer), sizeof(peer));
        while (rc != 0 && errno == EINTR);
        return rc == 0;
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

    int Receive(void* pBuf, int nLen) override
    {
        ssize_t n;
        do
            n = ::recv(m_fd, pBuf, static_cast<size_t>(nLen), 0);
        while (n < 0 && errno == EINTR);
        return n < 0 ? -1 : static_cast<int>(n);
    }

    bool SetIdleTimeout(DWORD nIdleMs) override
    {
        timeval tv{static_cast<time_t>(nIdleMs / 1000), static_cast<suseconds_t>(nIdleMs % 1000) * 1000};
        return ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv)) == 0;
    }

private:
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

#endif
