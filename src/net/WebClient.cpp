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
#include "framework/InternetCall.h"

namespace {

const DWORD TIMEOUT_OPTIONS[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                 INTERNET_OPTION_RECEIVE_TIMEOUT};

HttpTimeouts WebServiceTimeouts()
{
    HttpTimeouts timeouts;
    timeouts.totalMs = 60000;
    return timeouts;
}

// Each request runs on a thread of its own with what it needs copied: a
// request given up on may still be running when the next one begins.
class CWebCall : public CInternetCall {
public:
    // Within the bounds, or not at all.
    bool RunBounded(HANDLE hStop)
    {
        return Run(m_timeouts.connectMs + m_timeouts.headerMs, m_timeouts.totalMs, hStop);
    }

protected:
    // WinINet's own timeouts, which newer WinINet honours; the bounds of the
    // call hold for every WinINet.
    DWORD TimeoutOf(DWORD option) const
    {
        return option == INTERNET_OPTION_CONNECT_TIMEOUT ? m_timeouts.connectMs : m_timeouts.headerMs;
    }
    // Windows hands a session's timeouts down to its requests; Wine takes
    // the send and receive ones only from the request itself.
    void SetTimeouts(HINTERNET hInternet) const
    {
        for (DWORD option : TIMEOUT_OPTIONS) {
            DWORD value = TimeoutOf(option);
            WinInet().InternetSetOptionA(hInternet, option, &value, sizeof(value));
        }
    }
    // A reply that trickles in keeps each read short and the whole without end.
    CLowSpeedLimit ReplyLowSpeedLimit() const
    {
        return CLowSpeedLimit(m_timeouts.lowSpeedWindowMs, m_timeouts.lowSpeedBytes, ::GetTickCount());
    }

    const HttpTimeouts m_timeouts = CWebClient::s_timeouts;
};

class CInstallInfoCall : public CWebCall {
public:
    explicit CInstallInfoCall(const CString& url) : m_strUrl(url) {}
    BOOL m_bReceived = FALSE;
    CString m_strReply;

protected:
    void Exchange() override
    {
        CInternetSession session(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0, this);
        for (DWORD option : TIMEOUT_OPTIONS)
            session.SetOption(option, TimeoutOf(option));
        CString reply;
        try {
            auto file = session.OpenURL(m_strUrl, 1,
                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                            INTERNET_FLAG_TRANSFER_BINARY);
            Replied();
            char chunk[1024];
            CLowSpeedLimit lowSpeed = ReplyLowSpeedLimit();
            while (const UINT n = file->Read(chunk, sizeof(chunk))) {
                if (!lowSpeed.Received(::GetTickCount(), n))
                    return;
                reply += CString(chunk, static_cast<int>(n));
                // The information is a line of short fields; a body without
                // end is not it, and must not eat the process's memory.
                if (reply.GetLength() > MAX_INSTALL_INFO)
                    return;
            }
        } catch (const CInternetException&) {
            // A reply cut off in the middle would hand the sign-in fields
            // that were never sent; it is no reply at all.
            return;
        }
        m_strReply = reply;
        m_bReceived = TRUE;
    }

private:
    const CString m_strUrl;
};

class CNumberCall : public CWebCall {
public:
    explicit CNumberCall(const char* pszTarget) : m_strTarget(pszTarget) {}
    int m_nNumber = WEB_REQUEST_FAILED;

protected:
    void Exchange() override
    {
        CInternetHandle internet =
            Hold(WinInet().InternetOpenA("Auth", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!internet)
            return;
        SetTimeouts(internet.get());
        CInternetHandle connection = Hold(WinInet().InternetConnectA(
            internet.get(), WEB_SERVICE_HOST, WEB_SERVICE_PORT, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
        CInternetHandle request = Hold(WinInet().HttpOpenRequestA(
            connection.get(), "GET", m_strTarget, "HTTP/1.0", nullptr, nullptr,
            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
        SetTimeouts(request.get());
        // A connection or request that could not be opened fails here as well.
        if (!WinInet().HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0))
            return;
        Replied();

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
                return;
            if (!reply.Add(chunk, static_cast<int>(dwRead)))
                break;
        }
        m_nNumber = NumberFromReply(reply.Text());
    }

private:
    const CString m_strTarget;
};

CString BaseAddress()
{
    return HttpAddress(WEB_SERVICE_HOST, WEB_SERVICE_PORT);
}

} // namespace

HttpTimeouts CWebClient::s_timeouts = WebServiceTimeouts();
CString CWebClient::s_strBaseAddress;
CString CWebClient::s_strInstallInfoPath;

CWebClient::CWebClient(HANDLE hStop) : m_hStop(hStop)
{
    s_strBaseAddress = BaseAddress();
    s_strInstallInfoPath = "/tl_free/install_info.php";
}

BOOL CWebClient::GetInstallInfo(CString& strReply)
{
    auto* call = new CInstallInfoCall(s_strBaseAddress + s_strInstallInfoPath);
    const BOOL received = call->RunBounded(m_hStop) && call->m_bReceived;
    if (received)
        strReply = call->m_strReply;
    call->Release();
    return received;
}

int CWebClient::QueryNumber(const char* pszTarget)
{
    auto* call = new CNumberCall(pszTarget);
    const int number = call->RunBounded(m_hStop) ? call->m_nNumber : WEB_REQUEST_FAILED;
    call->Release();
    return number;
}
#endif
