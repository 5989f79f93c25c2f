// The publisher check on the stand-in's programs as make-root.sh signs them:
// the vendor's (throwaway) signer is accepted; a changed byte, no signature,
// another publisher's certificate and a signer under an authority the machine
// does not trust are refused, with the chain engine and without it.
#include "BuildConfig.h"
#include "net/Publisher.h"
#include "support/Screen.h"
#include "support/Standin.h"
#include "TrustRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using namespace testsupport;

namespace {

class PublisherCheck : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!*VENDOR_SIGNER)
            GTEST_SKIP() << "built without VENDOR_SIGNER";
        VerifyPublisherWithoutChainEngine(GetParam());
    }
    void TearDown() override { VerifyPublisherWithoutChainEngine(false); }

    static std::string Served(const std::string& path) { return StandinRoot() + path; }
    static std::string Payload(const std::string& name) { return Served("\\payloads\\" + name); }

    // As the installation holds a program it is about to start: readers only.
    static bool Verify(const std::string& path, const char* signer = VENDOR_SIGNER)
    {
        const HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
        const bool ok = VerifyPublisher(h, path.c_str(), signer);
        ::CloseHandle(h);
        return ok;
    }
};

const char* const kPrograms[] = {"TLFreeSetup.exe", "VestaINet.dll"};

} // namespace

TEST_P(PublisherCheck, TheVendorsSignatureIsAccepted)
{
    EXPECT_TRUE(Verify(Served("\\tlfree\\win2000\\2.0.2000\\TLFreeSetup.exe")));
    EXPECT_TRUE(Verify(Served("\\tlfree\\data\\VestaINet.dll")));
}

TEST_P(PublisherCheck, AnythingElseIsRefused)
{
    for (const char* program : kPrograms)
        for (const char* kind : {"tampered", "unsigned", "other", "rogue", "impostor"})
            EXPECT_FALSE(Verify(Payload(std::string(kind) + "-" + program))) << kind << " " << program;
}

TEST_P(PublisherCheck, TheNameIsTheWholeCommonNameAndTheRootTheMachines)
{
    const std::string library = Served("\\tlfree\\data\\VestaINet.dll");
    EXPECT_FALSE(Verify(library, "Tallow Test"));
    EXPECT_FALSE(Verify(library, "tallow test publisher"));
    // Another publisher's file is refused for its name alone.
    EXPECT_TRUE(Verify(Payload("other-VestaINet.dll"), "Some Other Publisher"));
    // Without the authority in the machine's roots the vendor's own file fails.
    ASSERT_TRUE(SetRootTrusted(TestPkiFile("root.der").c_str(), false));
    EXPECT_FALSE(Verify(library));
    ASSERT_TRUE(SetRootTrusted(TestPkiFile("root.der").c_str(), true));
    EXPECT_TRUE(Verify(library));
}

TEST_P(PublisherCheck, WhatIsNoSignedProgramIsRefused)
{
    EXPECT_FALSE(Verify(Served("\\data\\20080301\\cvxpdf.lst")));
    EXPECT_FALSE(VerifyPublisher(INVALID_HANDLE_VALUE, "x.exe", VENDOR_SIGNER));
    EXPECT_FALSE(VerifyPublisher(nullptr, "x.exe", VENDOR_SIGNER));
    EXPECT_FALSE(Verify(Served("\\tlfree\\data\\VestaINet.dll"), ""));
    // Cut inside the signature block.
    std::ifstream in(Served("\\tlfree\\data\\VestaINet.dll"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string cut = ArtifactPath("cut-VestaINet.dll");
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() - 100);
    EXPECT_FALSE(Verify(cut));
    ::DeleteFileA(cut.c_str());
}

INSTANTIATE_TEST_SUITE_P(ChainEngine, PublisherCheck, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(IssuerWalk, PublisherCheck, ::testing::Values(true));
