#include "net/HttpExchange.h"

#include "net/StreamSocket.h"

#include <algorithm>
#include <cstring>

void SplitUrl(const CString& url, CString& host, CString& path)
{
    const int slash = url.Find('/');
    host = url.Left(slash);
    path = url.Mid(slash < 0 ? 0 : slash);
}

CString HostAndPort(const CString& host, UINT port)
{
    if (port == 80)
        return host;
    CString suffix;
    suffix.Format(":%u", port);
    return host + suffix;
}

CString HttpAddress(const CString& host, UINT port)
{
    return "http://" + HostAndPort(host, port);
}

CString BuildHttpRequest(const CString& path, const CString& host, UINT port)
{
    CString safePath;
    for (int i = 0; i < path.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c <= 0x20 || c == 0x7F) {
            CString escaped;
            escaped.Format("%%%02X", c);
            safePath += escaped;
        } else {
            safePath += static_cast<char>(c);
        }
    }
    const CString hostField = HostAndPort(host, port);
    CString request;
    request.Format("GET %s HTTP/1.1\r\nHost: %s\r\n\r\n", static_cast<const char*>(safePath),
                   static_cast<const char*>(hostField));
    return request;
}

namespace {

bool SameFieldName(const std::string& name, const char* expected)
{
    if (name.size() != std::strlen(expected))
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char a = name[i], b = expected[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits with optional blanks around them, no sign, nothing beyond kMaxBody.
bool ParseLength(const std::string& text, uint64_t& value)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    const size_t digits = i;
    value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > CHttpResponse::kMaxBody)
            return false;
    }
    if (i == digits)
        return false;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i == text.size();
}

} // namespace

CHttpResponse::State CHttpResponse::Fail(HttpOutcome why)
{
    m_failure = why;
    m_state = Failed;
    return m_state;
}

bool CHttpResponse::JudgeStatusLine(const std::string& line)
{
    // "HTTP/1.x NNN" with an optional reason; any HTTP/1 minor version counts.
    if (line.size() < 12 || line.compare(0, 7, "HTTP/1.") != 0 || !IsDigit(line[7]) || line[8] != ' ' ||
        !IsDigit(line[9]) || !IsDigit(line[10]) || !IsDigit(line[11]) || (line.size() > 12 && line[12] != ' ')) {
        Fail(HttpOutcome::BadResponse);
        return false;
    }
    m_status = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
    if (m_status != 200) {
        Fail(HttpOutcome::NotFound);
        return false;
    }
    return true;
}

bool CHttpResponse::ReadLength(const std::string& header)
{
    bool found = false;
    size_t at = header.find("\r\n") + 2;
    for (size_t end; (end = header.find("\r\n", at)) != std::string::npos && end > at; at = end + 2) {
        const std::string line = header.substr(at, end - at);
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string name = line.substr(0, colon);
        // A coded body has no length we could store as it arrives.
        if (SameFieldName(name, "Transfer-Encoding"))
            return false;
        if (!SameFieldName(name, "Content-Length"))
            continue;
        uint64_t value = 0;
        if (!ParseLength(line.substr(colon + 1), value) || (found && value != m_length))
            return false;
        m_length = value;
        found = true;
    }
    return found;
}

CHttpResponse::State CHttpResponse::TakeBodyBytes(const char* p, size_t n)
{
    const size_t take = static_cast<size_t>(std::min<uint64_t>(n, m_length - m_received));
    if (take > 0 && !m_sink.Write(p, take))
        return Fail(HttpOutcome::NotStored);
    m_received += take;
    if (m_received == m_length)
        m_state = Done;
    return m_state;
}

CHttpResponse::State CHttpResponse::Feed(const char* p, size_t n)
{
    if (m_state == InBody && n > 0)
        return TakeBodyBytes(p, n);
    if (m_state != InHeader || n == 0)
        return m_state;

    const size_t searchFrom = m_header.size() > 3 ? m_header.size() - 3 : 0;
    m_header.append(p, n);
    if (!m_statusJudged) {
        const size_t eol = m_header.find("\r\n");
        if (eol == std::string::npos && m_header.size() > kMaxHeader)
            return Fail(HttpOutcome::BadResponse);
        if (eol != std::string::npos) {
            m_statusJudged = true;
            if (!JudgeStatusLine(m_header.substr(0, eol)))
                return m_state;
        }
    }
    const size_t blank = m_header.find("\r\n\r\n", searchFrom);
    if (blank == std::string::npos)
        return m_header.size() > kMaxHeader ? Fail(HttpOutcome::BadResponse) : m_state;
    const size_t end = blank + 4;
    if (end > kMaxHeader || !ReadLength(m_header.substr(0, end)))
        return Fail(HttpOutcome::BadResponse);

    if (!m_sink.Begin(m_length))
        return Fail(HttpOutcome::Refused);
    m_state = m_length == 0 ? Done : InBody;
    std::string rest;
    if (m_state == InBody && end < m_header.size())
        rest = m_header.substr(end);
    m_header.clear();
    m_header.shrink_to_fit();
    return rest.empty() ? m_state : TakeBodyBytes(rest.data(), rest.size());
}

CHttpResponse::State CHttpResponse::Closed()
{
    if (m_state == InHeader || m_state == InBody)
        Fail(HttpOutcome::NetworkError);
    return m_state;
}

CLowSpeedLimit::CLowSpeedLimit(DWORD windowMs, DWORD minBytes, DWORD now)
    : m_windowMs(windowMs), m_minBytes(minBytes), m_windowStart(now)
{
}

bool CLowSpeedLimit::Received(DWORD now, size_t n)
{
    m_bytes = static_cast<DWORD>(std::min<uint64_t>(uint64_t(m_bytes) + n, m_minBytes));
    const DWORD spent = now - m_windowStart;
    if (spent < m_windowMs)
        return true;
    if (m_bytes < m_minBytes)
        return false;
    m_windowStart = now;
    m_bytes = 0;
    return true;
}

DWORD CLowSpeedLimit::Remaining(DWORD now) const
{
    const DWORD spent = now - m_windowStart;
    return spent < m_windowMs ? m_windowMs - spent : 0;
}

DWORD TimeLeft(DWORD from, DWORD ms, DWORD now)
{
    if (ms == INFINITE)
        return INFINITE;
    const DWORD spent = now - from;
    return spent < ms ? ms - spent : 0;
}

HttpDownload HttpGetFile(const CString& url, UINT port, CBodySink& sink, const HttpProgress& progress,
                         const HttpTimeouts& timeouts, const HttpStopRequested& stopRequested)
{
    HttpDownload result;
    CString host, path;
    SplitUrl(url, host, path);
    const DWORD start = TickMs();
    std::unique_ptr<IStreamSocket> socket = CreateStreamSocket();
    if (!socket || !socket->Connect(host, port, std::min(timeouts.connectMs, TimeLeft(start, timeouts.totalMs, start))))
        return result;
    const CString request = BuildHttpRequest(path, host, port);
    if (!socket->SendAll(static_cast<const char*>(request), request.GetLength()))
        return result;

    CHttpResponse response(sink);
    // Large enough that a fast line costs few calls, small enough for any stack.
    char block[64 * 1024];
    const DWORD sent = TickMs();
    DWORD lastBytes = sent;
    CLowSpeedLimit lowSpeed(timeouts.lowSpeedWindowMs, timeouts.lowSpeedBytes, sent);
    // A silent server must not keep a caller that wants to stop waiting.
    const DWORD stopPollMs = stopRequested ? 100 : INFINITE;
    for (;;) {
        const DWORD now = TickMs();
        const DWORD headerLeft =
            response.GetState() == CHttpResponse::InHeader ? TimeLeft(sent, timeouts.headerMs, now) : INFINITE;
        const DWORD deadline = std::min({headerLeft, TimeLeft(start, timeouts.totalMs, now),
                                         TimeLeft(lastBytes, timeouts.idleMs, now)});
        if (deadline == 0) {
            result.outcome = HttpOutcome::NetworkError;
            return result;
        }
        if (stopRequested && stopRequested()) {
            result.outcome = HttpOutcome::Stopped;
            return result;
        }
        const DWORD wait = std::min({lowSpeed.Remaining(now), deadline, stopPollMs});
        const int n = wait ? socket->Receive(block, sizeof(block), wait) : IStreamSocket::RECEIVE_TIMED_OUT;
        // A wait that ends without bytes is no failure of its own: the
        // deadlines and the window are judged on their own.
        const bool timedOut = n == IStreamSocket::RECEIVE_TIMED_OUT;
        if ((n < 0 && !timedOut) || !lowSpeed.Received(TickMs(), n > 0 ? static_cast<size_t>(n) : 0)) {
            result.outcome = HttpOutcome::NetworkError;
            return result;
        }
        if (timedOut)
            continue;
        lastBytes = TickMs();
        const bool inBody = response.GetState() == CHttpResponse::InBody;
        const CHttpResponse::State state = n == 0 ? response.Closed() : response.Feed(block, static_cast<size_t>(n));
        if (state == CHttpResponse::Failed) {
            result.outcome = response.Failure();
            result.status = response.Status();
            return result;
        }
        if (inBody && progress && !progress(response.Received(), response.Length())) {
            result.outcome = HttpOutcome::Stopped;
            return result;
        }
        if (state == CHttpResponse::Done)
            break;
    }
    result.outcome = HttpOutcome::Ok;
    result.status = response.Status();
    result.length = response.Length();
    return result;
}
