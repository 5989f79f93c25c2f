#include "net/WebClient.h"

#include "account/Tokenizer.h"

#include <cstdlib>
#include <cstring>
#include <string>

bool CBoundedReply::Add(const char* pChunk, int nCount)
{
    if (nCount <= 0)
        return false;
    const int nBefore = m_nTotal;
    m_nTotal += nCount;
    if (m_nTotal >= LIMIT)
        return false;
    // Text only: a NUL inside the chunk leaves the rest of it out.
    memcpy(m_text + nBefore, pChunk, strnlen(pChunk, static_cast<size_t>(nCount)));
    return true;
}

int NumberFromReply(const CString& reply)
{
    CTokenizer tokenizer;
    tokenizer.SetText(reply);
    if (tokenizer.NextToken("|").IsEmpty())
        return 0;
    const CString number = tokenizer.NextToken("|");
    return number.IsEmpty() ? 0 : atoi(number);
}

#ifdef _WIN32
#include "BuildConfig.h"
#include "framework/InternetSession.h"
#include "net/HttpExchange.h"

namespace {

// Without them a web service that accepts and never answers holds the
// visitor's window for as long as it likes.
const DWORD TIMEOUT_OPTIONS[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                 INTERNET_OPTION_RECEIVE_TIMEOUT};

// A reply that trickles in keeps each read short and the whole without end.
CLowSpeedLimit ReplyLowSpeedLimit()
{
    return CLowSpeedLimit(CWebClient::s_dwLowSpeedWindowMs, 1024, ::GetTickCount());
}

// Windows hands a session's timeouts down to its requests; Wine takes the
// send and receive ones only from the request itself.
void SetTimeouts(HINTERNET hInternet)
{
    for (DWORD option : TIMEOUT_OPTIONS)
        WinInet().InternetSetOptionA(hInternet, option, &CWebClient::s_dwTimeoutMs, sizeof(CWebClient::s_dwTimeoutMs));
}

CString BaseAddress()
{
    return HttpAddress(WEB_SERVICE_HOST, WEB_SERVICE_PORT);
}

} // namespace

DWORD CWebClient::s_dwTimeoutMs = 30000;
DWORD CWebClient::s_dwLowSpeedWindowMs = 30000;
CString CWebClient::s_strBaseAddress;
CString CWebClient::s_strInstallInfoPath;

CWebClient::CWebClient()
{
    s_strBaseAddress = BaseAddress();
    s_strInstallInfoPath = "/tl_free/install_info.php";
}

BOOL CWebClient::GetInstallInfo(CString& strReply)
{
    CInternetSession session(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    for (DWORD option : TIMEOUT_OPTIONS)
        session.SetOption(option, s_dwTimeoutMs);
    CString reply;
    try {
        auto file = session.OpenURL(s_strBaseAddress + s_strInstallInfoPath, 1,
                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                        INTERNET_FLAG_TRANSFER_BINARY);
        char chunk[1024];
        CLowSpeedLimit lowSpeed = ReplyLowSpeedLimit();
        while (const UINT n = file->Read(chunk, sizeof(chunk))) {
            if (!lowSpeed.Received(::GetTickCount(), n))
                return FALSE;
            reply += CString(chunk, static_cast<int>(n));
            // The information is a line of short fields; a body without end
            // is not it, and must not eat the process's memory.
            if (reply.GetLength() > MAX_INSTALL_INFO)
                return FALSE;
        }
    } catch (const CInternetException&) {
        // A reply cut off in the middle would hand the sign-in fields that
        // were never sent; it is no reply at all.
        return FALSE;
    }
    strReply = reply;
    return TRUE;
}

int CWebClient::QueryNumber(const char* pszTarget)
{
    CInternetHandle internet(WinInet().InternetOpenA("Auth", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet)
        return WEB_REQUEST_FAILED;
    SetTimeouts(internet.get());
    CInternetHandle connection(WinInet().InternetConnectA(internet.get(), WEB_SERVICE_HOST, WEB_SERVICE_PORT, nullptr,
                                                  nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    CInternetHandle request(WinInet().HttpOpenRequestA(connection.get(), "GET", pszTarget, "HTTP/1.0", nullptr, nullptr,
                                               INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                                   INTERNET_FLAG_PRAGMA_NOCACHE,
                                               0));
    SetTimeouts(request.get());
    // A connection or request that could not be opened fails here as well.
    if (!WinInet().HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0))
        return WEB_REQUEST_FAILED;

    CBoundedReply reply;
    char chunk[CBoundedReply::LIMIT] = {};
    CLowSpeedLimit lowSpeed = ReplyLowSpeedLimit();
    for (;;) {
        DWORD dwAvailable = 0;
        if (!WinInet().InternetQueryDataAvailable(request.get(), &dwAvailable, 0, 0) || dwAvailable == 0 ||
            dwAvailable >= CBoundedReply::LIMIT)
            break;
        DWORD dwRead = 0;
        if (!WinInet().InternetReadFile(request.get(), chunk, dwAvailable, &dwRead))
            break;
        if (!lowSpeed.Received(::GetTickCount(), dwRead))
            return WEB_REQUEST_FAILED;
        if (!reply.Add(chunk, static_cast<int>(dwRead)))
            break;
    }
    return NumberFromReply(reply.Text());
}
#endif
