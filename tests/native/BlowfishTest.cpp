// The cipher against the published Blowfish vectors, its initial tables
// against pi, and against OpenSSL's implementation on random input.
#include "account/Blowfish.h"
#include "BlowfishReference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes Hex(const std::string& hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes Encrypt(const Bytes& key, const Bytes& in, int mode = CBlowfish::ECB, SBlock chain = SBlock())
{
    CBlowfish bf(key.data(), key.size(), chain);
    Bytes out(in.size());
    bf.Encrypt(in.data(), out.data(), in.size(), mode);
    return out;
}

// Eric Young's variable-key ECB vectors: key, plaintext, ciphertext.
const char* const kEcbVectors[][3] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

// The set-key vectors: plaintext FEDCBA9876543210 under the first 1, 2, ...,
// 24 bytes of one key.
const char kSetKeyKey[] = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
const char* const kSetKeyCiphers[] = {
    "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05", "B39E44481BDB1E6E",
    "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82", "15750E7A4F4EC577", "122BA70B3AB64AE0",
    "3A833C9AFFC537F6", "9409DA87A90F6BF2", "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F",
    "93142887EE3BE15C", "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
    "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
};

// The chaining vectors: key, IV and "7654321 Now is the time for " with its
// terminating zero, zero-padded to whole blocks.
const Bytes kChainKey = Hex("0123456789ABCDEFF0E1D2C3B4A59687");
const SBlock kChainIv(0xFEDCBA98, 0x76543210);
Bytes ChainPlaintext()
{
    const char text[] = "7654321 Now is the time for ";
    Bytes data(text, text + sizeof(text));
    data.resize(32, 0);
    return data;
}

// 16^e mod m by squaring; m stays below 2^17 here, so nothing overflows.
uint64_t PowMod16(uint64_t e, uint64_t m)
{
    uint64_t result = 1 % m, base = 16 % m;
    for (; e; e >>= 1, base = base * base % m)
        if (e & 1)
            result = result * base % m;
    return result;
}

// The fractional part of sum over k of 16^(n-k) / (8k + j).
long double BbpSeries(int j, uint64_t n)
{
    long double s = 0;
    for (uint64_t k = 0; k <= n; ++k) {
        const uint64_t d = 8 * k + j;
        s += static_cast<long double>(PowMod16(n - k, d)) / d;
        s -= std::floor(s);
    }
    long double scale = 1.0L / 16;
    for (uint64_t k = n + 1; scale > 1e-30L; ++k, scale /= 16)
        s += scale / (8 * k + j);
    return s - std::floor(s);
}

// Hexadecimal digits n+1 .. n+8 after pi's point, by the Bailey-Borwein-Plouffe
// digit extraction: independent of the integer series of the table generator.
uint32_t PiWordAt(uint64_t n)
{
    long double x = 4 * BbpSeries(1, n) - 2 * BbpSeries(4, n) - BbpSeries(5, n) - BbpSeries(6, n);
    x -= std::floor(x);
    return static_cast<uint32_t>(std::ldexp(x, 32));
}

} // namespace

TEST(Blowfish, InitialTablesAreTheHexDigitsOfPi)
{
    EXPECT_EQ(CBlowfish::s_initP[0], 0x243F6A88u);
    EXPECT_EQ(CBlowfish::s_initS[0][0], 0xD1310BA6u);
    for (uint64_t w = 0; w < 18 + 1024; ++w) {
        const uint32_t table = w < 18 ? CBlowfish::s_initP[w] : CBlowfish::s_initS[(w - 18) / 256][(w - 18) % 256];
        ASSERT_EQ(table, PiWordAt(8 * w)) << "word " << w;
    }
}

TEST(Blowfish, PublishedEcbVectors)
{
    for (const auto& v : kEcbVectors)
        EXPECT_EQ(Encrypt(Hex(v[0]), Hex(v[1])), Hex(v[2])) << "key " << v[0];
}

TEST(Blowfish, PublishedSetKeyVectorsOfGrowingKeyLength)
{
    const Bytes fullKey = Hex(kSetKeyKey);
    const Bytes plain = Hex("FEDCBA9876543210");
    for (size_t len = 1; len <= 24; ++len) {
        const Bytes key(fullKey.begin(), fullKey.begin() + len);
        EXPECT_EQ(Encrypt(key, plain), Hex(kSetKeyCiphers[len - 1])) << "key length " << len;
    }
}

TEST(Blowfish, PublishedCbcAndCfbVectors)
{
    EXPECT_EQ(Encrypt(kChainKey, ChainPlaintext(), CBlowfish::CBC, kChainIv),
              Hex("6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC"));
    // The published CFB-64 vector covers the 29 bytes of the text.
    const Bytes cfb = Encrypt(kChainKey, ChainPlaintext(), CBlowfish::CFB, kChainIv);
    EXPECT_EQ(Bytes(cfb.begin(), cfb.begin() + 29),
              Hex("E73214A2822139CAF26ECF6D2EB9E76E3DA3DE04D1517200519D57A6C3"));
}

TEST(Blowfish, KeyBeyondFiftySixBytesIsCut)
{
    Bytes key(57);
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<unsigned char>(i * 37 + 1);
    const Bytes plain = Hex("0123456789ABCDEF");
    EXPECT_EQ(Encrypt(key, plain), Encrypt(Bytes(key.begin(), key.begin() + 56), plain));
    key[56] ^= 0xFF;
    EXPECT_EQ(Encrypt(key, plain), Encrypt(Bytes(key.begin(), key.begin() + 56), plain));
}

TEST(Blowfish, RejectsEmptyKeyAndPartialBlocks)
{
    const unsigned char key[1] = {1};
    try {
        CBlowfish bf(key, 0);
        FAIL() << "an empty key was accepted";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Incorrect key length");
    }
    CBlowfish bf(key, 1);
    unsigned char buf[16] = {};
    for (size_t n : {size_t(0), size_t(12), size_t(7)}) {
        try {
            bf.Encrypt(buf, buf, n);
            FAIL() << "length " << n << " was accepted";
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), "Incorrect buffer length");
        }
    }
}

TEST(Blowfish, ChainingModesRestartOnEveryCall)
{
    const Bytes key = Hex("0123456789ABCDEF");
    const Bytes twoEqualBlocks = Hex("00112233445566770011223344556677");
    CBlowfish bf(key.data(), key.size(), SBlock(1, 2));

    Bytes ecb(16), cbc(16), cbcAgain(16), cfb(16), cfbAgain(16);
    bf.Encrypt(twoEqualBlocks.data(), ecb.data(), 16, CBlowfish::ECB);
    EXPECT_TRUE(std::equal(ecb.begin(), ecb.begin() + 8, ecb.begin() + 8));

    bf.Encrypt(twoEqualBlocks.data(), cbc.data(), 16, CBlowfish::CBC);
    EXPECT_FALSE(std::equal(cbc.begin(), cbc.begin() + 8, cbc.begin() + 8));
    bf.Encrypt(twoEqualBlocks.data(), cbcAgain.data(), 16, CBlowfish::CBC);
    EXPECT_EQ(cbc, cbcAgain);

    bf.Encrypt(twoEqualBlocks.data(), cfb.data(), 16, CBlowfish::CFB);
    bf.Encrypt(twoEqualBlocks.data(), cfbAgain.data(), 16, CBlowfish::CFB);
    EXPECT_EQ(cfb, cfbAgain);

    Bytes unknownMode(16);
    bf.Encrypt(twoEqualBlocks.data(), unknownMode.data(), 16, 7);
    EXPECT_EQ(unknownMode, ecb);

    // In place, as the information-file writer may call it.
    Bytes inPlace = twoEqualBlocks;
    bf.Encrypt(inPlace.data(), inPlace.data(), 16, CBlowfish::CBC);
    EXPECT_EQ(inPlace, cbc);
}

TEST(Blowfish, AgreesWithOpenSslOnRandomKeysAndBuffers)
{
    BlowfishReference openssl;
    ASSERT_TRUE(openssl.Loaded()) << "libcrypto.so.3 with the BF_ functions is needed for this check";
    std::mt19937 rng(20240517);
    auto bytes = [&](size_t n) {
        Bytes b(n);
        for (auto& c : b)
            c = static_cast<unsigned char>(rng());
        return b;
    };
    for (int round = 0; round < 300; ++round) {
        const Bytes key = bytes(1 + rng() % CBlowfish::MAX_KEY);
        const Bytes data = bytes(8 * (1 + rng() % 32));
        const Bytes iv = bytes(8);
        const SBlock chain(uint32_t(iv[0]) << 24 | iv[1] << 16 | iv[2] << 8 | iv[3],
                           uint32_t(iv[4]) << 24 | iv[5] << 16 | iv[6] << 8 | iv[7]);
        EXPECT_EQ(Encrypt(key, data), openssl.Run(BlowfishReference::ECB, key, data)) << "round " << round;
        EXPECT_EQ(Encrypt(key, data, CBlowfish::CBC, chain), openssl.Run(BlowfishReference::CBC, key, data, iv.data()));
        EXPECT_EQ(Encrypt(key, data, CBlowfish::CFB, chain), openssl.Run(BlowfishReference::CFB, key, data, iv.data()));
    }
}
