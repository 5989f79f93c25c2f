// The HTTP exchange against real peers on loopback: nginx and Python's
// http.server serving files, and a scripted raw server for the replies a
// download server should never send but sometimes does.
#include "net/HttpExchange.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

void PauseMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int ListeningSocket(uint16_t& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof(a);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(a.sin_port);
    return fd;
}

uint16_t FreePort()
{
    uint16_t port = 0;
    ::close(ListeningSocket(port));
    return port;
}

bool Accepts(uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0;
    ::close(fd);
    return ok;
}

// One connection's worth of scripted server: reads the request, then the
// script sends pieces with pauses; the connection closes when the script ends.
class RawServer {
public:
    struct Conn {
        int fd;
        void Send(const std::string& bytes) const { ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
        // Holds the connection open until the client gives up.
        void WaitForClientClose() const
        {
            char c;
            while (::recv(fd, &c, 1, 0) > 0) {
            }
        }
    };

    explicit RawServer(std::function<void(const Conn&)> script) : m_script(std::move(script))
    {
        m_listen = ListeningSocket(m_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~RawServer()
    {
        m_thread.join();
        ::close(m_listen);
    }
    CString Url(const char* path = "/files/test.bin") const { return CString("127.0.0.1") + path; }
    uint16_t Port() const { return m_port; }
    std::string Request() const { return m_request; }

private:
    void Serve()
    {
        const int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd < 0)
            return;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
        char c;
        while (m_request.find("\r\n\r\n") == std::string::npos && ::recv(fd, &c, 1, 0) == 1)
            m_request += c;
        m_script(Conn{fd});
        ::shutdown(fd, SHUT_WR);
        ::close(fd);
    }

    std::function<void(const Conn&)> m_script;
    int m_listen = -1;
    uint16_t m_port = 0;
    std::string m_request;
    std::thread m_thread;
};

// Keeps the body in memory, up to a limit of its own.
struct StringSink : CBodySink {
    explicit StringSink(uint64_t max = CHttpResponse::kMaxBody) : limit(max) {}
    bool Begin(uint64_t length) override
    {
        announced = length;
        return length <= limit;
    }
    bool Write(const char* p, size_t n) override
    {
        bytes.append(p, n);
        return bytes.size() <= failAfter;
    }
    uint64_t limit;
    uint64_t announced = 0;
    size_t failAfter = SIZE_MAX;
    std::string bytes;
};

// A download and the body it left in its sink.
struct Got : HttpDownload {
    std::string body;
};

Got Fetch(const CString& url, uint16_t port, const HttpProgress& progress = HttpProgress(),
          const HttpTimeouts& timeouts = HttpTimeouts())
{
    StringSink sink;
    Got got;
    static_cast<HttpDownload&>(got) = HttpGetFile(url, port, sink, progress, timeouts);
    got.body = got.outcome == HttpOutcome::Ok ? sink.bytes : std::string();
    return got;
}

HttpTimeouts IdleAfter(DWORD ms)
{
    HttpTimeouts t;
    t.idleMs = ms;
    return t;
}

std::string Ok200(const std::string& body, const std::string& extra = "")
{
    return "HTTP/1.1 200 OK\r\nServer: raw\r\n" + extra + "Content-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

Got GetFrom(const RawServer& server, const HttpTimeouts& timeouts = HttpTimeouts())
{
    return Fetch(server.Url(), server.Port(), HttpProgress(), timeouts);
}

Got Reply(const std::string& response)
{
    RawServer server([&](const RawServer::Conn& c) { c.Send(response); });
    return GetFrom(server);
}

std::string BodyOf(const Got& d)
{
    return d.body;
}

} // namespace

TEST(HttpRequest, IsWrittenByteForByteWithThePortOnlyOffEighty)
{
    EXPECT_EQ(BuildHttpRequest("/data/x/cvxpdf.lst", "down.example.com", 80),
              "GET /data/x/cvxpdf.lst HTTP/1.1\r\nHost: down.example.com\r\n\r\n");
    EXPECT_EQ(BuildHttpRequest("/a", "127.0.0.1", 18081), "GET /a HTTP/1.1\r\nHost: 127.0.0.1:18081\r\n\r\n");
    // Text from the web service cannot end the request line or add a header.
    EXPECT_EQ(BuildHttpRequest("/a b\r\nX-Evil: 1\t\x7f/c", "h", 80),
              "GET /a%20b%0D%0AX-Evil:%201%09%7F/c HTTP/1.1\r\nHost: h\r\n\r\n");
    EXPECT_EQ(BuildHttpRequest("/%41\xb1\xdb", "h", 80), "GET /%41\xb1\xdb HTTP/1.1\r\nHost: h\r\n\r\n");
    // The web service's and the sign-up page's addresses name the port the same way.
    EXPECT_EQ(HttpAddress("www.example.com", 80), "http://www.example.com");
    EXPECT_EQ(HttpAddress("127.0.0.1", 18080), "http://127.0.0.1:18080");

    RawServer server([](const RawServer::Conn& c) { c.Send(Ok200("x")); });
    ASSERT_EQ(GetFrom(server).outcome, HttpOutcome::Ok);
    EXPECT_EQ(server.Request(),
              "GET /files/test.bin HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n\r\n");
}

TEST(HttpRequest, UrlSplitsAtTheFirstSlash)
{
    CString host, path;
    SplitUrl("down.example.com/tlfree/data/VestaINet.dll", host, path);
    EXPECT_EQ(host, "down.example.com");
    EXPECT_EQ(path, "/tlfree/data/VestaINet.dll");
    SplitUrl("no-slash-at-all", host, path);
    EXPECT_EQ(host, "");
    EXPECT_EQ(path, "no-slash-at-all");
}

TEST(HttpExchange, UnreachableHostsEndWithoutAReply)
{
    const uint16_t closedPort = FreePort();
    EXPECT_EQ(Fetch("127.0.0.1/x", closedPort).outcome, HttpOutcome::Unreachable);
    EXPECT_EQ(Fetch("no-slash", closedPort).outcome, HttpOutcome::Unreachable);
    EXPECT_EQ(Fetch("host.invalid/x", closedPort).outcome, HttpOutcome::Unreachable);
}

TEST(HttpExchange, BodyInTheHeaderBlockAndSurplusBytes)
{
    Got d = Reply(Ok200("0123456789"));
    ASSERT_EQ(d.outcome, HttpOutcome::Ok);
    EXPECT_EQ(BodyOf(d), "0123456789");

    // Bytes beyond the announced length are dropped, never stored.
    d = Reply("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nabcdEXTRA-BYTES-THAT-DO-NOT-BELONG");
    ASSERT_EQ(d.outcome, HttpOutcome::Ok);
    EXPECT_EQ(BodyOf(d), "abcd");

    d = Reply("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    ASSERT_EQ(d.outcome, HttpOutcome::Ok);
    EXPECT_EQ(d.length, 0u);
}

TEST(HttpExchange, HeaderSplitAtEveryByteOffset)
{
    const std::string response = Ok200("0123456789", "X-Pad: a\r\n");
    for (size_t cut = 1; cut < response.size(); ++cut) {
        RawServer server([&](const RawServer::Conn& c) {
            c.Send(response.substr(0, cut));
            PauseMs(2);
            c.Send(response.substr(cut));
        });
        const Got d = GetFrom(server);
        ASSERT_EQ(d.outcome, HttpOutcome::Ok) << "cut at " << cut;
        EXPECT_EQ(BodyOf(d), "0123456789") << "cut at " << cut;
    }
}

TEST(HttpExchange, OneByteAtATimeAndASlowBody)
{
    const std::string response = Ok200("slowly but surely");
    RawServer dribble([&](const RawServer::Conn& c) {
        for (char ch : response) {
            c.Send(std::string(1, ch));
            PauseMs(1);
        }
    });
    Got d = GetFrom(dribble);
    ASSERT_EQ(d.outcome, HttpOutcome::Ok);
    EXPECT_EQ(BodyOf(d), "slowly but surely");

    // A body in twenty pieces with pauses well under the idle limit.
    const std::string body(20 * 1000, 'b');
    std::vector<std::pair<uint64_t, uint64_t>> progress;
    const auto script = [&](const RawServer::Conn& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 20000\r\n\r\n");
        for (int i = 0; i < 20; ++i) {
            PauseMs(30);
            c.Send(body.substr(static_cast<size_t>(i) * 1000, 1000));
        }
    };
    RawServer slow(script);
    const auto record = [&](uint64_t r, uint64_t l) {
        progress.emplace_back(r, l);
        return true;
    };
    d = Fetch(slow.Url(), slow.Port(), record, IdleAfter(2000));
    ASSERT_EQ(d.outcome, HttpOutcome::Ok);
    EXPECT_EQ(BodyOf(d), body);
    ASSERT_FALSE(progress.empty());
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_GT(progress[i].first, progress[i - 1].first);
    EXPECT_EQ(progress.back(), std::make_pair(uint64_t(20000), uint64_t(20000)));

    // The caller may stop at any block: nothing more is read and no body is handed out.
    progress.clear();
    RawServer stopped(script);
    d = Fetch(stopped.Url(), stopped.Port(), [&](uint64_t r, uint64_t l) { return record(r, l) && r < 3000; },
              IdleAfter(2000));
    EXPECT_EQ(d.outcome, HttpOutcome::Stopped);
    EXPECT_TRUE(BodyOf(d).empty());
    ASSERT_FALSE(progress.empty());
    EXPECT_GE(progress.back().first, uint64_t(3000));
    EXPECT_LT(progress.back().first, uint64_t(20000));
}

TEST(HttpExchange, StatusOtherThan200IsAMissingFileOnAnyHttp1Version)
{
    for (const char* line : {"HTTP/1.0 404 Not Found", "HTTP/1.1 404 Not Found", "HTTP/1.1 302 Found",
                             "HTTP/1.1 206 Partial Content", "HTTP/1.0 500"}) {
        const Got d = Reply(std::string(line) + "\r\nContent-Length: 3\r\n\r\nabc");
        EXPECT_EQ(d.outcome, HttpOutcome::NotFound) << line;
    }
    EXPECT_EQ(Reply("HTTP/1.0 404 Not Found\r\n\r\n").status, 404);
    // An HTTP/1.0 200 is a file like any other.
    const Got d = Reply("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nhi");
    ASSERT_EQ(d.outcome, HttpOutcome::Ok);
    EXPECT_EQ(BodyOf(d), "hi");
}

TEST(HttpExchange, ContentLengthIsReadWhateverItsCaseAndSpacing)
{
    for (const char* field : {"Content-Length:10", "content-length: 10", "CONTENT-LENGTH:\t 10 \t"}) {
        const Got d = Reply(std::string("HTTP/1.1 200 OK\r\n") + field + "\r\n\r\n0123456789");
        ASSERT_EQ(d.outcome, HttpOutcome::Ok) << field;
        EXPECT_EQ(BodyOf(d), "0123456789") << field;
    }
    // The same length twice is still one length.
    EXPECT_EQ(Reply("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 2\r\n\r\nok").outcome, HttpOutcome::Ok);
}

TEST(HttpExchange, AnUnusableLengthIsAFailedTransferNotAnEmptyFile)
{
    const char* fields[] = {
        "",                                              // missing
        "Content-Length: -5\r\n",                        // negative
        "Content-Length: ten\r\n",                       // unparsable
        "Content-Length: 10abc\r\n",                     // trailing garbage
        "Content-Length:\r\n",                           // empty
        "Content-Length: 3\r\nContent-Length: 4\r\n",    // conflicting
        "Content-Length: 99999999999999999999999\r\n",   // beyond any integer
        "Content-Length: 2147483648\r\n",                // beyond what the program can hold
        "Transfer-Encoding: chunked\r\nContent-Length: 3\r\n",
    };
    for (const char* field : fields) {
        EXPECT_EQ(Reply(std::string("HTTP/1.1 200 OK\r\n") + field + "\r\nabc").outcome, HttpOutcome::BadResponse)
            << field;
    }
    for (const char* reply : {"SSH-2.0-OpenSSH\r\n\r\n", "HTTP/2 200\r\n\r\n", "HTTP/1.1 20 OK\r\n\r\n",
                              "HTTP/1.1 2000 OK\r\nContent-Length: 1\r\n\r\nx"})
        EXPECT_EQ(Reply(reply).outcome, HttpOutcome::BadResponse) << reply;
}

TEST(HttpExchange, EarlyCloseIsANetworkError)
{
    // Announced 100, sent 50: nothing padded with zeros comes back.
    EXPECT_EQ(Reply("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(50, 'x')).outcome,
              HttpOutcome::NetworkError);
    EXPECT_EQ(Reply("HTTP/1.1 200 OK\r\nContent-Le").outcome, HttpOutcome::NetworkError);
    EXPECT_EQ(Reply("").outcome, HttpOutcome::NetworkError);
}

TEST(HttpExchange, HeaderSizeIsBounded)
{
    const std::string pad = "X-Pad: " + std::string(1000, 'p') + "\r\n";
    std::string big;
    for (int i = 0; i < 60; ++i)
        big += pad;
    EXPECT_EQ(Reply(Ok200("fits", big)).outcome, HttpOutcome::Ok);
    EXPECT_EQ(Reply(Ok200("too much", big + big)).outcome, HttpOutcome::BadResponse);
    // A header that never ends is refused once it passes the bound.
    RawServer endless([&](const RawServer::Conn& c) {
        c.Send("HTTP/1.1 200 OK\r\n");
        for (int i = 0; i < 200; ++i)
            c.Send(pad);
    });
    EXPECT_EQ(GetFrom(endless).outcome, HttpOutcome::BadResponse);
}

TEST(HttpExchange, AServerThatGoesQuietIsGivenUp)
{
    RawServer silent([](const RawServer::Conn& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n01234");
        c.WaitForClientClose();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GetFrom(silent, IdleAfter(300)).outcome, HttpOutcome::NetworkError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

namespace {

// The process's peak address space, in KiB, as Linux reports it.
long PeakVirtualKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmPeak:", 0) == 0)
            return std::stol(line.substr(7));
    return -1;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST(HttpExchange, AGigabyteAnnouncementIsRefusedBeforeAnyByteOrAllocation)
{
    RawServer server([](const RawServer::Conn& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1073741824\r\n\r\n" + std::string(1000, 'x'));
        c.WaitForClientClose();
    });
    const long before = PeakVirtualKiB();
    StringSink sink(256 * 1024 * 1024);
    const auto start = std::chrono::steady_clock::now();
    const HttpDownload d = HttpGetFile(server.Url(), server.Port(), sink);
    EXPECT_EQ(d.outcome, HttpOutcome::Refused);
    EXPECT_EQ(sink.announced, uint64_t(1) << 30);
    EXPECT_TRUE(sink.bytes.empty());
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_LT(PeakVirtualKiB() - before, 64 * 1024) << "the exchange reserved memory for the announced body";
}

TEST(HttpExchange, ABodyTheSinkCannotKeepEndsTheTransfer)
{
    RawServer server([](const RawServer::Conn& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        for (int i = 0; i < 100; ++i)
            c.Send(std::string(1000, 'b'));
    });
    StringSink sink;
    sink.failAfter = 5000;
    EXPECT_EQ(HttpGetFile(server.Url(), server.Port(), sink).outcome, HttpOutcome::NotStored);
    EXPECT_LT(sink.bytes.size(), 100000u);
}

TEST(HttpExchange, APeerThatNeverAcceptsIsUnreachableWithinTheConnectBound)
{
    // A listener whose queue is full: further connection attempts go unanswered.
    uint16_t port = 0;
    const int listener = ListeningSocket(port);
    ASSERT_GE(listener, 0);
    ::listen(listener, 0);
    std::vector<int> queued;
    for (int i = 0; i < 16; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a));
        queued.push_back(fd);
        pollfd one{fd, POLLOUT, 0};
        if (::poll(&one, 1, 200) == 0)
            break; // this one waits: the queue is full
    }
    HttpTimeouts timeouts;
    timeouts.connectMs = 700;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(CString("127.0.0.1/x"), port, HttpProgress(), timeouts).outcome, HttpOutcome::Unreachable);
    const double spent = SecondsSince(start);
    EXPECT_GE(spent, 0.6);
    EXPECT_LT(spent, 3.0);
    for (int fd : queued)
        ::close(fd);
    ::close(listener);
}

TEST(LowSpeedLimit, EachWholeWindowNeedsItsBytesWhereverTheClockWraps)
{
    for (DWORD start : {0u, 0xFFFFF000u}) {
        CLowSpeedLimit limit(1000, 1024, start);
        EXPECT_EQ(limit.Remaining(start + 400), 600u);
        EXPECT_TRUE(limit.Received(start + 500, 1000));
        EXPECT_TRUE(limit.Received(start + 999, 0)) << "the window is not over";
        EXPECT_TRUE(limit.Received(start + 1000, 24)) << "a kilobyte by the window's end";
        EXPECT_EQ(limit.Remaining(start + 1000), 1000u) << "a new window";
        EXPECT_TRUE(limit.Received(start + 1999, 1023));
        EXPECT_FALSE(limit.Received(start + 2000, 0)) << "a byte short";
        EXPECT_EQ(limit.Remaining(start + 5000), 0u);
    }
    // Bytes beyond the minimum count once, whatever their number.
    CLowSpeedLimit big(1000, 1024, 0);
    EXPECT_TRUE(big.Received(10, SIZE_MAX));
    EXPECT_TRUE(big.Received(1000, 0));
}

TEST(HttpExchange, ATrickleBelowTheLowSpeedLimitFailsASteadySlowLineDoesNot)
{
    HttpTimeouts timeouts;
    timeouts.lowSpeedWindowMs = 1000;
    timeouts.lowSpeedBytes = 1024;
    std::atomic<bool> stop{false};
    // One byte every 100 ms: each receive is quick, the whole is hopeless.
    RawServer trickle([&](const RawServer::Conn& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        for (int i = 0; i < 100 && !stop; ++i) {
            c.Send("t");
            PauseMs(100);
        }
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GetFrom(trickle, timeouts).outcome, HttpOutcome::NetworkError);
    double spent = SecondsSince(start);
    stop = true;
    EXPECT_GE(spent, 0.9);
    EXPECT_LT(spent, 2.5);

    // 2000 bytes every 250 ms: slow, but above the limit in every window.
    const std::string body(16000, 's');
    RawServer steady([&](const RawServer::Conn& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: 16000\r\n\r\n");
        for (size_t at = 0; at < body.size(); at += 2000) {
            PauseMs(250);
            c.Send(body.substr(at, 2000));
        }
    });
    const Got d = GetFrom(steady, timeouts);
    ASSERT_EQ(d.outcome, HttpOutcome::Ok);
    EXPECT_EQ(BodyOf(d), body);
}

// A kilobyte of header lines every quarter second keeps the low-speed rule
// and never reaches the blank line; the header's own bound ends it.
TEST(HttpExchange, AHeaderThatKeepsTheLowSpeedRuleEndsAtItsBound)
{
    HttpTimeouts timeouts;
    timeouts.lowSpeedWindowMs = 1000;
    timeouts.headerMs = 1500;
    std::atomic<bool> stop{false};
    RawServer drip([&](const RawServer::Conn& c) {
        c.Send("HTTP/1.1 200 OK\r\n");
        for (int i = 0; i < 40 && !stop; ++i) {
            c.Send("X-Pad: " + std::string(1090, 'p') + "\r\n");
            PauseMs(250);
        }
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GetFrom(drip, timeouts).outcome, HttpOutcome::NetworkError);
    const double spent = SecondsSince(start);
    stop = true;
    EXPECT_GE(spent, 1.4);
    EXPECT_LT(spent, 3.0);
}

// ---- real HTTP servers: every file must arrive byte-identical.

namespace {

class Peer {
public:
    Peer(std::vector<std::string> argv, uint16_t port) : m_port(port)
    {
        std::vector<char*> args;
        for (auto& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&m_pid, args[0], &quiet, nullptr, args.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&quiet);
        for (int i = 0; i < 100 && m_pid > 0 && !Accepts(port); ++i)
            PauseMs(50);
    }
    ~Peer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool Up() const { return m_pid > 0 && Accepts(m_port); }
    uint16_t Port() const { return m_port; }

private:
    pid_t m_pid = -1;
    uint16_t m_port;
};

const size_t kSizes[] = {0, 1, 8191, 8192, 8193, 10 * 1024 * 1024};

class HttpPeers : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = fs::absolute("http-peers");
        fs::remove_all(s_dir);
        fs::create_directories(s_dir / "files");
        fs::create_directories(s_dir / "nginx");
        uint32_t x = 12345;
        for (size_t size : kSizes) {
            std::string bytes(size, '\0');
            for (char& c : bytes) {
                x = x * 1103515245u + 12345u;
                c = static_cast<char>(x >> 24);
            }
            std::ofstream(s_dir / "files" / Name(size), std::ios::binary) << bytes;
        }
    }
    static void TearDownTestSuite() { fs::remove_all(s_dir); }

    static std::string Name(size_t size) { return "f" + std::to_string(size) + ".bin"; }

    static std::string Contents(size_t size)
    {
        std::ifstream in(s_dir / "files" / Name(size), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static void ExpectAllFilesIdentical(const Peer& peer)
    {
        ASSERT_TRUE(peer.Up());
        for (size_t size : kSizes) {
            const Got d = Fetch(CString("127.0.0.1/") + Name(size).c_str(), peer.Port());
            ASSERT_EQ(d.outcome, HttpOutcome::Ok) << size;
            ASSERT_EQ(d.length, size);
            EXPECT_TRUE(BodyOf(d) == Contents(size)) << "file of " << size << " bytes differs";
        }
        EXPECT_EQ(Fetch("127.0.0.1/none.bin", peer.Port()).outcome, HttpOutcome::NotFound);
    }

    static fs::path s_dir;
};

fs::path HttpPeers::s_dir;

} // namespace

TEST_F(HttpPeers, Nginx)
{
    const char* nginx = "/usr/sbin/nginx";
    if (!fs::exists(nginx))
        GTEST_SKIP() << "nginx is not installed (Debian package nginx-light)";
    const uint16_t port = FreePort();
    const fs::path conf = s_dir / "nginx" / "nginx.conf";
    std::ofstream(conf) << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
                        << "pid " << (s_dir / "nginx" / "nginx.pid").string() << ";\n"
                        << "error_log " << (s_dir / "nginx" / "error.log").string() << ";\n"
                        << "events { worker_connections 32; }\n"
                        << "http { access_log off;\n"
                        << "  client_body_temp_path " << (s_dir / "nginx").string() << ";\n"
                        << "  server { listen 127.0.0.1:" << port << "; root " << (s_dir / "files").string()
                        << "; } }\n";
    const Peer peer({nginx, "-e", (s_dir / "nginx" / "error.log").string(), "-p", (s_dir / "nginx").string(),
                     "-c", conf.string()},
                    port);
    ExpectAllFilesIdentical(peer);
}

TEST_F(HttpPeers, PythonHttpServer)
{
    const uint16_t port = FreePort();
    const Peer peer({"python3", "-m", "http.server", std::to_string(port), "--bind", "127.0.0.1",
                     "--directory", (s_dir / "files").string()},
                    port);
    ExpectAllFilesIdentical(peer);
}
