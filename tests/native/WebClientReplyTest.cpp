// Reading the join script's reply: the number in the second field, and the
// 1023-byte limit applied chunk by chunk as the reply arrives.
#include "net/WebClient.h"

#include <gtest/gtest.h>

#include <string>

TEST(WebClientReply, NumberIsTheSecondFieldReadLikeAtoi)
{
    EXPECT_EQ(NumberFromReply("OK|12345|x"), 12345);
    EXPECT_EQ(NumberFromReply("whatever it says|7"), 7);
    EXPECT_EQ(NumberFromReply("OK| -42abc|"), -42);
    EXPECT_EQ(NumberFromReply("OK|abc|"), 0);
    // An empty first field ends the split before the number is reached.
    EXPECT_EQ(NumberFromReply("|12345|"), 0);
    EXPECT_EQ(NumberFromReply("OK||99|"), 0);
    EXPECT_EQ(NumberFromReply("OK"), 0);
    EXPECT_EQ(NumberFromReply(""), 0);
}

TEST(WebClientReply, ChunksAreKeptUntilTheTotalReaches1024)
{
    CBoundedReply reply;
    const std::string chunk(300, 'a');
    EXPECT_TRUE(reply.Add(chunk.data(), 300));
    EXPECT_TRUE(reply.Add(chunk.data(), 300));
    EXPECT_TRUE(reply.Add(chunk.data(), 300));
    // 1200 bytes would not fit: the whole fourth chunk is dropped, not a part of it.
    EXPECT_FALSE(reply.Add("|5|", 300));
    EXPECT_EQ(std::string(reply.Text()), std::string(900, 'a'));

    CBoundedReply exact;
    const std::string most(1023, 'b');
    EXPECT_TRUE(exact.Add(most.data(), 1023));
    EXPECT_EQ(std::string(exact.Text()).size(), 1023u);
    EXPECT_FALSE(exact.Add("c", 1));

    CBoundedReply tooBig;
    const std::string full(1024, 'd');
    EXPECT_FALSE(tooBig.Add(full.data(), 1024));
    EXPECT_STREQ(tooBig.Text(), "");
}

TEST(WebClientReply, ANulByteOrAnEmptyReadEndsTheText)
{
    CBoundedReply reply;
    EXPECT_TRUE(reply.Add("OK\0|9|", 6));
    EXPECT_TRUE(reply.Add("|3|", 3)); // stored after the NUL's place, so unreachable
    EXPECT_STREQ(reply.Text(), "OK");
    EXPECT_FALSE(reply.Add("x", 0));
    EXPECT_EQ(NumberFromReply(reply.Text()), 0);
}
