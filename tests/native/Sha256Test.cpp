// The digest that tells a file read back from the one written: the standard's
// test vectors, whatever the pieces.
#include "net/Sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string HexOf(const std::string& digest)
{
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : digest) {
        text += hex[c >> 4];
        text += hex[c & 15];
    }
    return text;
}

std::string Digest(const std::string& bytes, size_t piece)
{
    CSha256 sha;
    for (size_t at = 0; at < bytes.size(); at += piece)
        sha.Add(bytes.data() + at, std::min(piece, bytes.size() - at));
    return HexOf(sha.Finish());
}

} // namespace

TEST(Sha256, StandardVectorsInPiecesOfAnySize)
{
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    const std::string million(1000000, 'a');
    for (size_t piece : {1u, 3u, 63u, 64u, 65u, 4096u}) {
        EXPECT_EQ(Digest("", piece), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
        EXPECT_EQ(Digest("abc", piece), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
        EXPECT_EQ(Digest(two, piece), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    }
    EXPECT_EQ(Digest(million, 4096), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}
