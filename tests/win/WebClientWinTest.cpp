// The two web-service requests over the real WinINet against the vendor
// stand-in: what arrives there, what comes back, and how failures end.
#include <winsock2.h>

#include "WebClientWinTest.h"

#include "TestSupport.h"
#include "WebClient.h"

#include <gtest/gtest.h>

#include <string>

using namespace testsupport;

namespace {
const char kSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
}

std::string StandinLastRequest(const char* key)
{
    const std::string all = StandinGet("/_control/requests");
    const size_t start = all.rfind('\n', all.size() >= 2 ? all.size() - 2 : 0);
    const std::string last = all.substr(start == std::string::npos ? 0 : start + 1);
    const std::string marker = std::string("\"") + key + "\": \"";
    const size_t at = last.find(marker);
    if (at == std::string::npos)
        return "";
    const size_t from = at + marker.size();
    return last.substr(from, last.find('"', from) - from);
}

void StandinSwitches(const std::string& query)
{
    StandinGet("/_control/reset");
    if (!query.empty())
        StandinGet("/_control/set?" + query);
}

NoWebService::NoWebService()
{
    // A proxy on a loopback port where nothing listens: every request of a
    // preconfigured session is refused, as with the service gone.
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof(addr);
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    ::closesocket(s);
    const std::string proxy = "127.0.0.1:" + std::to_string(ntohs(addr.sin_port));

    ::RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hKey, nullptr);
    DWORD size = sizeof(m_dwOldEnable);
    m_bHadEnable = ::RegQueryValueExA(m_hKey, "ProxyEnable", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&m_dwOldEnable), &size) == ERROR_SUCCESS;
    char old[512] = {};
    size = sizeof(old) - 1;
    m_bHadServer = ::RegQueryValueExA(m_hKey, "ProxyServer", nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                      &size) == ERROR_SUCCESS;
    m_strOldServer = old;
    const DWORD enable = 1;
    ::RegSetValueExA(m_hKey, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof(enable));
    ::RegSetValueExA(m_hKey, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(proxy.c_str()),
                     static_cast<DWORD>(proxy.size() + 1));
}

NoWebService::~NoWebService()
{
    if (m_bHadEnable)
        ::RegSetValueExA(m_hKey, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_dwOldEnable),
                         sizeof(m_dwOldEnable));
    else
        ::RegDeleteValueA(m_hKey, "ProxyEnable");
    if (m_bHadServer)
        ::RegSetValueExA(m_hKey, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(m_strOldServer.c_str()),
                         static_cast<DWORD>(m_strOldServer.size() + 1));
    else
        ::RegDeleteValueA(m_hKey, "ProxyServer");
    ::RegCloseKey(m_hKey);
}

namespace {

int Query(const std::string& switches, const char* target = "tlfree/join.php?UserId=a")
{
    StandinSwitches(switches);
    CWebClient client;
    return client.QueryNumber(target);
}

} // namespace

TEST(WebClientWin, InstallInfoArrivesWholeChunkAfterChunk)
{
    // Distinct, numbered pieces: a repeated or lost chunk would show.
    std::string expected;
    for (int i = 0; i < 500; ++i)
        expected += std::to_string(10000 + i) + "|";
    StandinSwitches("info_reply=" + expected + "&info_chunk=1100&info_chunk_ms=50");

    CWebClient client;
    CString reply("before");
    ASSERT_TRUE(client.GetInstallInfo(reply));
    EXPECT_EQ(reply.str(), expected);
    EXPECT_EQ(StandinLastRequest("path"), "/tl_free/install_info.php");
    // No agent of its own: the program's name.
    EXPECT_EQ(StandinLastRequest("User-Agent"), "wintests");

    StandinSwitches("info_reply=");
    ASSERT_TRUE(client.GetInstallInfo(reply));
    EXPECT_EQ(reply, "");
}

TEST(WebClientWin, InstallInfoThatBreaksOffOrNeverEndsLeavesTheReplyAlone)
{
    // The connection breaks after 200 of 3000 announced bytes (WinINet
    // itself takes the broken connection for the end of the body).
    CWebClient client;
    CString reply("before");
    StandinSwitches("info_size=3000&info_break=200");
    EXPECT_FALSE(client.GetInstallInfo(reply));
    EXPECT_EQ(reply, "before");

    StandinSwitches("info_size=" + std::to_string(MAX_INSTALL_INFO + 1));
    EXPECT_FALSE(client.GetInstallInfo(reply));
    EXPECT_EQ(reply, "before");
    StandinSwitches("info_size=" + std::to_string(MAX_INSTALL_INFO));
    EXPECT_TRUE(client.GetInstallInfo(reply));
    EXPECT_EQ(reply.GetLength(), MAX_INSTALL_INFO);
}

TEST(WebClientWin, QueryNumberReadsTheSecondField)
{
    EXPECT_EQ(Query("join_reply=status|12345|x"), 12345);
    EXPECT_EQ(StandinLastRequest("User-Agent"), "Auth");
    EXPECT_EQ(Query("join_number=-7"), -7);
    EXPECT_EQ(Query("join_reply=OK|none|"), 0);
    EXPECT_EQ(Query("join_reply=|12345|"), 0);
    EXPECT_EQ(Query("join_reply="), 0);
    // A slow answer is waited for.
    EXPECT_EQ(Query("join_number=31&join_delay_ms=1500"), 31);
}

TEST(WebClientWin, QueryNumberSendsTheTargetAsGiven)
{
    const char target[] = "tlfree/join.php?UserId=a%26b&UserName=%C8%AB%20x&Cooper=gvx";
    EXPECT_EQ(Query("join_number=5", target), 5);
    // WinINet puts the "/" in front; nothing else changes.
    EXPECT_EQ(StandinLastRequest("path"), std::string("/") + target);
}

TEST(WebClientWin, QueryNumberKeepsAtMost1023Bytes)
{
    // Pieces of 600 bytes: the second one reaches 1024 bytes and is dropped
    // with the number in it.
    const std::string tail = "|555|";
    EXPECT_EQ(Query("join_chunk=600&join_reply=" + std::string(1020, 'A') + tail), 0);
    EXPECT_EQ(Query("join_chunk=600&join_reply=" + std::string(1018, 'A') + tail), 555);
    // A number in the kept part is found however long the reply goes on.
    EXPECT_EQ(Query("join_chunk=300&join_number=777&join_size=5000"), 777);
}

TEST(WebClientWin, NoReplyFailsBothRequests)
{
    CWebClient client;
    CString reply("before");
    MsgBoxWatcher watcher;
    for (int i = 0; i < 3; ++i) {
        StandinSwitches("info_close=1&join_close=1");
        EXPECT_EQ(client.QueryNumber("tlfree/join.php?UserId=a"), WEB_REQUEST_FAILED);
        EXPECT_FALSE(client.GetInstallInfo(reply));
    }

    StandinSwitches("");
    {
        NoWebService gone;
        EXPECT_EQ(client.QueryNumber("tlfree/join.php?UserId=a"), WEB_REQUEST_FAILED);
        EXPECT_FALSE(client.GetInstallInfo(reply));
    }
    EXPECT_EQ(StandinGet("/_control/requests"), "");
    EXPECT_EQ(reply, "before");
    EXPECT_TRUE(watcher.Boxes().empty());
}
