// The three information records byte for byte, and their encrypted form as
// the product decrypts it (with OpenSSL, independent of our cipher).
#include "account/InfoCipher.h"
#include "account/InfoFiles.h"
#include "BlowfishReference.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

typedef std::vector<unsigned char> Bytes;

std::string Field(const InfoRecord& r, size_t offset, size_t width)
{
    return std::string(r.begin() + offset, r.begin() + offset + width);
}

std::string Padded(const std::string& text, size_t width)
{
    std::string s = text.substr(0, width);
    s.resize(width, '\0');
    return s;
}

// Checks the length prefix and returns the decrypted body.
Bytes Decrypt(const Bytes& file, uint32_t expectLength)
{
    BlowfishReference openssl;
    EXPECT_TRUE(openssl.Loaded());
    EXPECT_GE(file.size(), 4u);
    uint32_t length = 0;
    for (int i = 3; i >= 0; --i)
        length = length << 8 | file[i];
    EXPECT_EQ(length, expectLength);
    const Bytes key = {'q', 'o', 't', 'p', 'l', 'a', 'n', 'v'};
    return openssl.Run(BlowfishReference::ECB, key, Bytes(file.begin() + 4, file.end()), nullptr, true);
}

} // namespace

TEST(InfoRecord, PartnerLayoutCutsFieldsToTheirWidths)
{
    const InfoRecord r = BuildPartnerInfoRecord("f0", std::string(300, 'u'), "ABCDEFGHIJKL");
    ASSERT_EQ(r.size(), 1034u);
    EXPECT_EQ(Field(r, 0, 256), Padded("f0", 256));
    EXPECT_EQ(Field(r, 256, 256), std::string(256, 'u'));
    EXPECT_EQ(Field(r, 512, 10), "ABCDEFGHIJ"); // no terminator
    EXPECT_EQ(Field(r, 522, 512), std::string(512, '\0'));
}

TEST(InfoRecord, UserLayoutWithJoinNumberAsDecimalText)
{
    const InfoRecord r = BuildUserInfoRecord("account@x", "reply3", 7, "00-1A-2B-3C-4D-5E");
    ASSERT_EQ(r.size(), 1034u);
    EXPECT_EQ(Field(r, 0, 256), Padded("account@x", 256));
    EXPECT_EQ(Field(r, 256, 256), Padded("reply3", 256));
    EXPECT_EQ(Field(r, 512, 256), Padded("tlfree/authchk.php", 256));
    EXPECT_EQ(Field(r, 768, 10), std::string("7") + std::string(9, '\0'));
    EXPECT_EQ(Field(r, 778, 256), Padded("00-1A-2B-3C-4D-5E", 256));

    EXPECT_EQ(Field(BuildUserInfoRecord("", "", -2147483647 - 1, ""), 768, 10), "-214748364");
    EXPECT_EQ(Field(BuildUserInfoRecord("", "", 0, ""), 768, 10), Padded("0", 10));
}

TEST(InfoRecord, BasicLayoutCutsOverlongTexts)
{
    const InfoRecord r = BuildBasicInfoRecord("free", "example.com", "v2000");
    ASSERT_EQ(r.size(), 376u);
    EXPECT_EQ(Field(r, 0, 256), Padded("update.free.example.com", 256));
    EXPECT_EQ(Field(r, 256, 30), Padded("free", 30));
    EXPECT_EQ(Field(r, 286, 30), Padded("qotplanv", 30));
    EXPECT_EQ(Field(r, 316, 30), Padded("free", 30));
    EXPECT_EQ(Field(r, 346, 30), Padded("v2000", 30));

    const std::string label(40, 'L');
    const InfoRecord cut = BuildBasicInfoRecord(label.c_str(), std::string(300, 'd').c_str(), std::string(31, 'V').c_str());
    ASSERT_EQ(cut.size(), 376u);
    EXPECT_EQ(Field(cut, 0, 256), ("update." + label + "." + std::string(300, 'd')).substr(0, 256));
    EXPECT_EQ(Field(cut, 256, 30), std::string(30, 'L'));
    EXPECT_EQ(Field(cut, 286, 30), Padded("qotplanv", 30));
    EXPECT_EQ(Field(cut, 316, 30), std::string(30, 'L'));
    EXPECT_EQ(Field(cut, 346, 30), std::string(30, 'V'));
}

TEST(InfoRecord, EncryptedFilesHaveFixedSizesAndDecryptBack)
{
    const InfoRecord records[] = {BuildPartnerInfoRecord("a", "b", "c"), BuildUserInfoRecord("a", "b", 7, "m"),
                                  BuildBasicInfoRecord("free", "example.com", "v")};
    const size_t sizes[] = {1044, 1044, 380};
    const Bytes prefixes[] = {{0x0A, 0x04, 0, 0}, {0x0A, 0x04, 0, 0}, {0x78, 0x01, 0, 0}};
    for (int i = 0; i < 3; ++i) {
        const Bytes file = EncryptInfoRecord(records[i]);
        ASSERT_EQ(file.size(), sizes[i]);
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), prefixes[i]);
        const Bytes plain = Decrypt(file, static_cast<uint32_t>(records[i].size()));
        EXPECT_EQ(Bytes(plain.begin(), plain.begin() + records[i].size()), records[i]);
        // The 1034-byte records end in six padding zeros.
        EXPECT_EQ(Bytes(plain.begin() + records[i].size(), plain.end()),
                  Bytes(plain.size() - records[i].size(), 0));
    }
}

TEST(InfoCipher, PadsTheLastBlockAndRejectsWhatItCannotEncrypt)
{
    CInfoCipher cipher;
    const unsigned char key[] = {'k', 'e', 'y'};
    cipher.SetKey(key, sizeof(key));
    const unsigned char data[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    int length = 0;
    auto out = cipher.EncryptBuffer(data, sizeof(data), 8, &length);
    ASSERT_EQ(length, 4 + 16);
    EXPECT_EQ(0, memcmp(out.get(), "\x09\0\0\0", 4));
    const Bytes body(out.get() + 4, out.get() + length);
    const Bytes plain =
        BlowfishReference().Run(BlowfishReference::ECB, Bytes(key, key + 3), body, nullptr, true);
    EXPECT_EQ(plain, Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 0, 0, 0, 0}));

    auto empty = cipher.EncryptBuffer(data, 0, 8, &length);
    EXPECT_EQ(length, 4);

    EXPECT_THROW(cipher.EncryptBuffer(data, -1, 8, &length), std::exception);
    EXPECT_THROW(cipher.EncryptBuffer(data, 9, 12, &length), std::exception);
    EXPECT_THROW(cipher.EncryptBuffer(data, 9, 0, &length), std::exception);

    CInfoCipher noKey;
    try {
        noKey.EncryptBuffer(data, 8, 8, &length);
        FAIL() << "encrypted without a key";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Incorrect key length");
    }
}
