// Downloads one file from a loopback HTTP server, alternating our exchange
// and curl, both writing it to the same file, and prints the throughput of
// both, their ratio and the memory our exchange needed at its peak. Our side
// writes the body as it arrives, as the worker does (curl -o /dev/null runs
// too, for the line's own speed).
//   http_bench PORT PATH ROUNDS FILE
#include "net/HttpExchange.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Seconds(const std::chrono::steady_clock::time_point& since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool Curl(const std::string& url, const char* out)
{
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("curl", "curl", "-s", "--noproxy", "*", "-o", out, url.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The body straight into a file, as the worker's placement does.
struct FileSink : CBodySink {
    explicit FileSink(const char* path) : fd(::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600)) {}
    ~FileSink() override
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool Begin(uint64_t) override { return fd >= 0; }
    bool Write(const char* p, size_t n) override
    {
        while (n > 0) {
            const ssize_t w = ::write(fd, p, n);
            if (w <= 0)
                return false;
            p += w;
            n -= static_cast<size_t>(w);
        }
        return true;
    }
    int fd;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s PORT PATH ROUNDS FILE\n", argv[0]);
        return 2;
    }
    const UINT port = static_cast<UINT>(std::atoi(argv[1]));
    const std::string path = argv[2];
    const int rounds = std::max(1, std::atoi(argv[3]));
    const char* file = argv[4];
    const CString url = CString("127.0.0.1") + path.c_str();
    const std::string curlUrl = "http://127.0.0.1:" + std::to_string(port) + path;

    const long baseKiB = PeakKiB();
    uint64_t size = 0;
    std::vector<double> ours, curls, curlsStored;
    for (int round = 0; round < rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        {
            FileSink sink(file);
            const HttpDownload got = HttpGetFile(url, port, sink);
            if (got.outcome != HttpOutcome::Ok) {
                std::fprintf(stderr, "our download failed (outcome %d)\n", static_cast<int>(got.outcome));
                return 1;
            }
            size = got.length;
        }
        ours.push_back(Seconds(start));
        unlink(file);
        for (auto [out, times] : {std::pair{"/dev/null", &curls}, std::pair{file, &curlsStored}}) {
            start = std::chrono::steady_clock::now();
            if (!Curl(curlUrl, out)) {
                std::fprintf(stderr, "curl failed\n");
                return 1;
            }
            times->push_back(Seconds(start));
            unlink(file);
        }
    }
    const double mib = static_cast<double>(size) / (1024 * 1024);
    const double ourRate = mib / Median(ours);
    const double curlRate = mib / Median(curls);
    const double storedRate = mib / Median(curlsStored);
    const long peakKiB = PeakKiB();
    std::printf("file: %.1f MiB, %d rounds, medians\n", mib, rounds);
    std::printf("our exchange -> file: %8.1f MiB/s\n", ourRate);
    std::printf("curl -o file:         %8.1f MiB/s   ratio ours/curl %.2f (goal at least 1.0)\n", storedRate,
                ourRate / storedRate);
    std::printf("curl -o /dev/null:    %8.1f MiB/s   ratio ours/curl %.2f\n", curlRate, ourRate / curlRate);
    std::printf("our peak memory: %.2f MiB above a %.1f MiB start (goal at most 1 MiB)\n",
                (peakKiB - baseKiB) / 1024.0, baseKiB / 1024.0);
    return 0;
}
