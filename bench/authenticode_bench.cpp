// authenticode_bench FILE KEY_PINS ROUNDS CA_FILE: how long our publisher
// check takes on one signed program, beside `osslsigncode verify` on the same
// file, both as a process of their own and ROUNDS times, alternating; ours
// also inside this process. osslsigncode runs twice: as it is, and with
// OpenSSL's use of the processor's SHA instructions turned off, as none of
// the processors of the supported systems has them. Prints the figures,
// judges nothing.
// authenticode_bench --verify FILE KEY_PINS: one check, exit 0 when verified.
#include "net/Authenticode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class CFdSource : public CByteSource {
public:
    explicit CFdSource(const char* path) : m_fd(open(path, O_RDONLY)) {}
    ~CFdSource() override
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    uint64_t Size() const override
    {
        struct stat st;
        return m_fd >= 0 && fstat(m_fd, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
    }
    bool Read(uint64_t offset, void* p, size_t n) override
    {
        return m_fd >= 0 && pread(m_fd, p, n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
    }

private:
    int m_fd;
};

double Now()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Milliseconds a command took to run to its end; negative when it failed.
double TimeCommand(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const double start = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double took = Now() - start;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? took : -took;
}

void Print(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    printf("%-36s median %8.2f ms   best %8.2f ms   (%zu rounds)\n", what, ms[ms.size() / 2], ms.front(), ms.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "--verify") == 0) {
        CFdSource file(argv[2]);
        return VerifyAuthenticode(file, argv[3]) == AuthenticodeResult::Verified ? 0 : 1;
    }
    if (argc != 5) {
        fprintf(stderr, "usage: authenticode_bench FILE KEY_PINS ROUNDS CA_FILE\n");
        return 2;
    }
    const std::string file = argv[1], pins = argv[2], caFile = argv[4];
    const int rounds = std::max(1, atoi(argv[3]));
    std::vector<double> inside, ours, theirs, theirsPlain;
    for (int i = 0; i < rounds; ++i) {
        const double start = Now();
        CFdSource source(file.c_str());
        const AuthenticodeResult result = VerifyAuthenticode(source, pins.c_str());
        inside.push_back(Now() - start);
        const double ourProcess = TimeCommand({"/proc/self/exe", "--verify", file, pins});
        const double theirProcess = TimeCommand({"osslsigncode", "verify", "-CAfile", caFile, "-in", file});
        // Bit 29 of the second capability word: the SHA extensions.
        const double theirPlainProcess = TimeCommand(
            {"env", "OPENSSL_ia32cap=:~0x20000000", "osslsigncode", "verify", "-CAfile", caFile, "-in", file});
        if (result != AuthenticodeResult::Verified || ourProcess < 0 || theirProcess < 0 || theirPlainProcess < 0) {
            fprintf(stderr, "a check failed: ours %d (process %s), osslsigncode %s\n", static_cast<int>(result),
                    ourProcess < 0 ? "failed" : "ok", theirProcess < 0 ? "failed" : "ok");
            return 1;
        }
        ours.push_back(ourProcess);
        theirs.push_back(theirProcess);
        theirsPlain.push_back(theirPlainProcess);
    }
    Print("ours, inside this process", inside);
    Print("ours, a process of its own", ours);
    Print("osslsigncode verify", theirs);
    Print("osslsigncode, no SHA instructions", theirsPlain);
    return 0;
}
