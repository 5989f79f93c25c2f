#include "HttpExchange.h"

#include "StreamSocket.h"

#include <algorithm>
#include <cstring>

void SplitUrl(const CString& url, CString& host, CString& path)
{
    const int slash = url.Find('/');
    host = url.Left(slash);
    path = url.Mid(slash < 0 ? 0 : slash);
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
    CString hostField = host;
    if (port != 80) {
        CString suffix;
        suffix.Format(":%u", port);
        hostField += suffix;
    }
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
    m_body.reset();
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

void CHttpResponse::TakeBodyBytes(const char* p, size_t n)
{
    const uint64_t take = std::min<uint64_t>(n, m_length - m_received);
    std::memcpy(m_body.get() + m_received, p, static_cast<size_t>(take));
    m_received += take;
    if (m_received == m_length)
        m_state = Done;
}

CHttpResponse::State CHttpResponse::Feed(const char* p, size_t n)
{
    if (m_state == InBody && n > 0)
        TakeBodyBytes(p, n);
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

    m_body.reset(static_cast<char*>(std::calloc(static_cast<size_t>(m_length) + 1, 1)));
    if (!m_body)
        return Fail(HttpOutcome::BadResponse);
    m_state = m_length == 0 ? Done : InBody;
    if (m_state == InBody && end < m_header.size())
        TakeBodyBytes(m_header.data() + end, m_header.size() - end);
    m_header.clear();
    m_header.shrink_to_fit();
    return m_state;
}

char* CHttpResponse::BodySpace(size_t& room)
{
    room = m_state == InBody ? static_cast<size_t>(m_length - m_received) : 0;
    return m_state == InBody ? m_body.get() + m_received : nullptr;
}

CHttpResponse::State CHttpResponse::BodyReceived(size_t n)
{
    m_received += std::min<uint64_t>(n, m_length - m_received);
    if (m_received == m_length)
        m_state = Done;
    return m_state;
}

CHttpResponse::State CHttpResponse::Closed()
{
    if (m_state == InHeader || m_state == InBody)
        Fail(HttpOutcome::NetworkError);
    return m_state;
}

HttpDownload HttpGetFile(const CString& url, UINT port, const HttpProgress& progress, DWORD idleTimeoutMs)
{
    HttpDownload result;
    CString host, path;
    SplitUrl(url, host, path);
    std::unique_ptr<IStreamSocket> socket = CreateStreamSocket();
    if (!socket || !socket->Connect(host, port))
        return result;
    const CString request = BuildHttpRequest(path, host, port);
    if (!socket->SendAll(static_cast<const char*>(request), request.GetLength()))
        return result;
    // Without the bound a silent server would hold the receive for ever.
    if (!socket->SetIdleTimeout(idleTimeoutMs)) {
        result.outcome = HttpOutcome::NetworkError;
        return result;
    }

    CHttpResponse response;
    char block[8192];
    for (;;) {
        // Body blocks go straight into the body: no copy, and never a byte
        // beyond the announced length.
        size_t room = 0;
        char* space = response.BodySpace(room);
        const bool bodyOnly = space != nullptr;
        const int n = bodyOnly ? socket->Receive(space, static_cast<int>(std::min(room, sizeof(block))))
                               : socket->Receive(block, sizeof(block));
        if (n < 0) {
            result.outcome = HttpOutcome::NetworkError;
            return result;
        }
        const CHttpResponse::State state = n == 0 ? response.Closed()
                                           : bodyOnly ? response.BodyReceived(static_cast<size_t>(n))
                                                      : response.Feed(block, static_cast<size_t>(n));
        if (state == CHttpResponse::Failed) {
            result.outcome = response.Failure();
            result.status = response.Status();
            return result;
        }
        if (bodyOnly && progress && !progress(response.Received(), response.Length())) {
            result.outcome = HttpOutcome::Stopped;
            return result;
        }
        if (state == CHttpResponse::Done)
            break;
    }
    result.outcome = HttpOutcome::Ok;
    result.status = response.Status();
    result.length = response.Length();
    result.body = response.TakeBody();
    return result;
}
