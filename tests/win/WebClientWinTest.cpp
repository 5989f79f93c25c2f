// The two web-service requests over the real WinINet against the vendor
// stand-in: what arrives there, what comes back, and how failures end.
#include <winsock2.h>

#include "support/Registry.h"
#include "support/Screen.h"
#include "support/Standin.h"

#include "net/WebClient.h"

#include <gtest/gtest.h>

#include <string>

using namespace testsupport;

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
