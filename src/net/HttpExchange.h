// One file from the download server over plain HTTP/1.1: the request we
// write ourselves, the response judged as it arrives, the body handed on as
// it comes. No window and no file here; the download worker adds those.
#pragma once

#include "framework/String.h"

#include <cstdint>
#include <functional>
#include <string>

enum class HttpOutcome {
    Ok,
    Unreachable,  // no socket, unknown or unreachable host, or the request could not be sent
    NotFound,     // a status other than 200
    NetworkError, // receive failed, went quiet or too slow, or the peer closed before the whole body
    BadResponse,  // not an HTTP/1.x reply, header too long, or no usable Content-Length
    Refused,      // the sink refused the announced length
    NotStored,    // the sink could not keep the body's bytes
    Stopped,      // the progress callback or the stop request asked to stop
};

// "host/path" -> "host" and "/path". Without a "/" the host is empty and the
// path is the whole text, so such a URL never connects.
void SplitUrl(const CString& url, CString& host, CString& path);

// "host", or "host:port" off HTTP's own port 80, so that the shipped program
// names exactly the host's address.
CString HostAndPort(const CString& host, UINT port);
// "http://" and HostAndPort: the root of a server's addresses.
CString HttpAddress(const CString& host, UINT port);

// The request, byte for byte. The host is named by HostAndPort. Blanks
// and control bytes in the path are sent percent-encoded so that text from
// outside can never end the request line or add a header line of its own.
CString BuildHttpRequest(const CString& path, const CString& host, UINT port);

// Where the body goes as it arrives; the exchange itself keeps none of it.
class CBodySink {
public:
    virtual ~CBodySink() = default;
    // The announced length, before any body byte; false refuses the file.
    virtual bool Begin(uint64_t length) = 0;
    // The next body bytes in order; false when they could not be kept.
    virtual bool Write(const char* p, size_t n) = 0;
};

// Judges a response as its bytes arrive, in pieces of any size: the status
// line as soon as it is complete, the header at its blank line (at most
// kMaxHeader bytes), then exactly Content-Length body bytes, handed to the
// sink; bytes beyond them are ignored.
class CHttpResponse {
public:
    static const size_t kMaxHeader = 64 * 1024;
    // Beyond any file the server has: a longer announcement is no length at
    // all. Each kind of file has a smaller limit of its own (the sink's).
    static const uint64_t kMaxBody = uint64_t(1) << 30;

    enum State { InHeader, InBody, Done, Failed };

    explicit CHttpResponse(CBodySink& sink) : m_sink(sink) {}

    // Takes the next received bytes; returns the new state.
    State Feed(const char* p, size_t n);
    // The peer closed the connection: a response that is not Done fails.
    State Closed();

    State GetState() const { return m_state; }
    HttpOutcome Failure() const { return m_failure; }
    int Status() const { return m_status; }
    uint64_t Length() const { return m_length; }
    uint64_t Received() const { return m_received; }

private:
    State Fail(HttpOutcome why);
    bool JudgeStatusLine(const std::string& line);
    bool ReadLength(const std::string& header);
    State TakeBodyBytes(const char* p, size_t n);

    CBodySink& m_sink;
    State m_state = InHeader;
    HttpOutcome m_failure = HttpOutcome::Ok;
    std::string m_header;
    bool m_statusJudged = false;
    int m_status = 0;
    uint64_t m_length = 0;
    uint64_t m_received = 0;
};

struct HttpDownload {
    HttpOutcome outcome = HttpOutcome::Unreachable;
    int status = 0;
    uint64_t length = 0; // the body's, when outcome is Ok
};

// Called after every received block that holds body bytes only; returning
// false stops the transfer.
typedef std::function<bool(uint64_t received, uint64_t length)> HttpProgress;

// How long a download may wait. The defaults are the shipped ones; tests
// shorten them.
struct HttpTimeouts {
    // Name resolution and connect together.
    DWORD connectMs = 15000;
    // The whole reply header, from the request sent: one fed a byte at a
    // time keeps every other rule and would never end.
    DWORD headerMs = 30000;
    // A server that sends nothing for this long is given up.
    DWORD idleMs = 60000;
    // ... and so is one that sends fewer than lowSpeedBytes in any window
    // of lowSpeedWindowMs (a trickle that would hold the visitor for hours).
    DWORD lowSpeedWindowMs = 30000;
    DWORD lowSpeedBytes = 1024;
    // The whole exchange, connect included; INFINITE for none (a setup
    // program on a slow line takes what it takes while it keeps the rules above).
    DWORD totalMs = INFINITE;
};

// What is left of ms counted from the tick from on (a wrapping millisecond
// clock) at now; 0 once it is spent, INFINITE for INFINITE.
DWORD TimeLeft(DWORD from, DWORD ms, DWORD now);

// Curl's low-speed limit in fixed windows: a transfer fails once a whole
// window has passed with fewer than the minimum of bytes in it. Times are
// milliseconds of a wrapping clock.
class CLowSpeedLimit {
public:
    CLowSpeedLimit(DWORD windowMs, DWORD minBytes, DWORD now);
    // Counts n bytes that arrived by now; false once the rule is broken.
    bool Received(DWORD now, size_t n);
    // How long a wait may last from now before the window must be judged.
    DWORD Remaining(DWORD now) const;

private:
    DWORD m_windowMs, m_minBytes, m_windowStart, m_bytes = 0;
};

// Asked before every wait for bytes, and at least ten times a second while
// none arrive; true stops the transfer.
typedef std::function<bool()> HttpStopRequested;

// Fetches url ("host/path") from port: connect, send the request, receive in
// blocks and hand the body to the sink as it arrives.
HttpDownload HttpGetFile(const CString& url, UINT port, CBodySink& sink, const HttpProgress& progress = HttpProgress(),
                         const HttpTimeouts& timeouts = HttpTimeouts(),
                         const HttpStopRequested& stopRequested = HttpStopRequested());
