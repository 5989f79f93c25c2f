#include "support/Standin.h"

#include "BuildConfig.h"

#include <winsock2.h>

#include <cstdlib>

namespace testsupport {

std::string StandinGet(const std::string& pathAndQuery)
{
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(WEB_SERVICE_PORT);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string response;
    if (::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
        const std::string request = "GET " + pathAndQuery + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        ::send(s, request.data(), static_cast<int>(request.size()), 0);
        char buf[4096];
        int n;
        while ((n = ::recv(s, buf, sizeof(buf), 0)) > 0)
            response.append(buf, static_cast<size_t>(n));
    }
    ::closesocket(s);
    const size_t body = response.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : response.substr(body + 4);
}

std::string StandinRoot()
{
    const char* root = getenv("STANDIN_ROOT_W");
    return root ? root : "";
}


void StandinSwitches(const std::string& query)
{
    StandinGet("/_control/reset");
    if (!query.empty())
        StandinGet("/_control/set?" + query);
}

std::string StandinLastRequest(const char* key)
{
    const std::string all = StandinGet("/_control/requests");
    const size_t start = all.rfind('\n', all.size() >= 2 ? all.size() - 2 : 0);
    const std::string last = all.substr(start == std::string::npos ? 0 : start + 1);
    const std::string marker = std::string("\"") + key + "\": \"";
    const size_t at = last.find(marker);
    if (at == std::string::npos)
        return "";
    const size_t from = at + marker.size();
    return last.substr(from, last.find('"', from) - from);
}

} // namespace testsupport
