// One file from the download server over plain HTTP/1.1: the request we
// write ourselves, the response judged as it arrives, the body kept in memory.
// No window and no file here; the download worker adds those.
#pragma once

#include "String.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

enum class HttpOutcome {
    Ok,
    Unreachable,  // no socket, unknown or unreachable host, or the request could not be sent
    NotFound,     // a status other than 200
    NetworkError, // receive failed, went quiet too long, or the peer closed before the whole body
    BadResponse,  // not an HTTP/1.x reply, header too long, or no usable Content-Length
    Stopped,      // the progress callback asked to stop
};

// "host/path" -> "host" and "/path". Without a "/" the host is empty and the
// path is the whole text, so such a URL never connects.
void SplitUrl(const CString& url, CString& host, CString& path);

// The request, byte for byte. The host gets ":port" only off port 80. Blanks
// and control bytes in the path are sent percent-encoded so that text from
// outside can never end the request line or add a header line of its own.
CString BuildHttpRequest(const CString& path, const CString& host, UINT port);

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};
typedef std::unique_ptr<char, FreeDeleter> HttpBody;

// Judges a response as its bytes arrive, in pieces of any size: the status
// line as soon as it is complete, the header at its blank line (at most
// kMaxHeader bytes), then exactly Content-Length body bytes; bytes beyond
// them are ignored.
class CHttpResponse {
public:
    static const size_t kMaxHeader = 64 * 1024;
    // The largest body the 32-bit program can be sure to hold in memory at once.
    static const uint64_t kMaxBody = uint64_t(1) << 30;

    enum State { InHeader, InBody, Done, Failed };

    // Takes the next received bytes; returns the new state.
    State Feed(const char* p, size_t n);
    // The peer closed the connection: a response that is not Done fails.
    State Closed();
    // While InBody, the rest of the body buffer: received bytes may go straight
    // there (at most `room`), followed by BodyReceived with their count.
    char* BodySpace(size_t& room);
    State BodyReceived(size_t n);

    State GetState() const { return m_state; }
    HttpOutcome Failure() const { return m_failure; }
    int Status() const { return m_status; }
    uint64_t Length() const { return m_length; }
    uint64_t Received() const { return m_received; }
    // Length + 1 bytes, zero after the body; null until the header is read.
    const char* Body() const { return m_body.get(); }
    HttpBody TakeBody() { return std::move(m_body); }

private:
    State Fail(HttpOutcome why);
    bool JudgeStatusLine(const std::string& line);
    bool ReadLength(const std::string& header);
    void TakeBodyBytes(const char* p, size_t n);

    State m_state = InHeader;
    HttpOutcome m_failure = HttpOutcome::Ok;
    std::string m_header;
    bool m_statusJudged = false;
    int m_status = 0;
    uint64_t m_length = 0;
    uint64_t m_received = 0;
    HttpBody m_body;
};

struct HttpDownload {
    HttpOutcome outcome = HttpOutcome::Unreachable;
    int status = 0;
    HttpBody body; // length + 1 bytes when outcome is Ok
    uint64_t length = 0;
};

// Called after every received block that holds body bytes only; returning
// false stops the transfer.
typedef std::function<bool(uint64_t received, uint64_t length)> HttpProgress;

// A download server that sends nothing for this long is given up.
const DWORD HTTP_IDLE_TIMEOUT_MS = 60000;

// Fetches url ("host/path") from port: connect, send the request, receive in
// blocks of 8 KiB until the announced length is in memory.
HttpDownload HttpGetFile(const CString& url, UINT port, const HttpProgress& progress = HttpProgress(),
                         DWORD idleTimeoutMs = HTTP_IDLE_TIMEOUT_MS);
