// The join target against a real PHP peer: PHP's built-in server runs a join
// script that reports each parameter it decoded, as hex, so the test sees
// whether the cookie's bytes arrived exactly and nothing else was added.
#include "account/Account.h"
#include "net/WebClient.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

const char kJoinScript[] = R"(<?php
header('Content-Type: text/plain');
echo "OK|7|\n";
foreach ($_GET as $key => $value) {
    echo $key, '=', bin2hex($value), "\n";
}
)";

int FreePort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    socklen_t len = sizeof(addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    close(s);
    return ntohs(addr.sin_port);
}

// One HTTP/1.0 exchange; "" when nothing answers on the port.
std::string Get(int port, const std::string& target)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
        const std::string request = "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        if (send(s, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
            char buf[4096];
            ssize_t n;
            while ((n = recv(s, buf, sizeof(buf), 0)) > 0)
                reply.append(buf, static_cast<size_t>(n));
        }
    }
    close(s);
    const size_t body = reply.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : reply.substr(body + 4);
}

std::string Hex(const CString& s)
{
    std::string out;
    char byte[3];
    for (const char c : s.str()) {
        snprintf(byte, sizeof(byte), "%02x", static_cast<unsigned char>(c));
        out += byte;
    }
    return out;
}

class AccountJoinPhp : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (system("command -v php >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "php-cli is not installed";
        char dirTemplate[] = "/tmp/joinphp-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        m_root = dirTemplate;
        ASSERT_EQ(mkdir((m_root + "/tlfree").c_str(), 0700), 0);
        std::ofstream(m_root + "/tlfree/join.php") << kJoinScript;

        m_port = FreePort();
        const std::string listen = "127.0.0.1:" + std::to_string(m_port);
        const char* argv[] = {"php", "-S", listen.c_str(), "-t", m_root.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int rc = posix_spawnp(&m_pid, "php", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_EQ(rc, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Get(m_port, "/tlfree/join.php").empty()) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "PHP's server did not start";
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    void TearDown() override
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (!m_root.empty())
            system(("rm -rf '" + m_root + "'").c_str());
    }

    std::string m_root;
    int m_port = 0;
    pid_t m_pid = 0;
};

} // namespace

TEST_F(AccountJoinPhp, CookieBytesArriveIntactAndAddNoParameters)
{
    // Code page 949 bytes, as the cookie holds them.
    const CString userId("kim&Cooper=evil");
    const CString userName("홍 길&동 + 100%");
    const CString phone("010 1234\r\n5678");
    const CString target = BuildJoinTarget(userId, "001A2B3C4D5E", userName, phone);

    // WinINet puts the "/" in front of a target that lacks one.
    const std::string reply = Get(m_port, "/" + target.str());
    EXPECT_EQ(reply, "OK|7|\n"
                     "UserId=" + Hex(userId) + "\n"
                     "MacAddr=" + Hex("001A2B3C4D5E") + "\n"
                     "UserName=" + Hex(userName) + "\n"
                     "Phone=" + Hex(phone) + "\n"
                     "Cooper=" + Hex("gvx") + "\n");
    EXPECT_EQ(NumberFromReply(reply), 7);
}
