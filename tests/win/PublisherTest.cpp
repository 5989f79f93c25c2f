// The checks on the stand-in's files as tools/standin/make-root.sh signs and
// spoils them, read through a handle held as the installation holds one.
// Every way the pinned key signs is accepted, whoever certified it under
// whatever name; everything else is refused for its own reason.
#include "BuildConfig.h"
#include "net/Publisher.h"
#include "support/Standin.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace testsupport;

namespace {

typedef AuthenticodeResult R;

struct Variant {
    const char* prefix; // of the file in the stand-in's payloads/
    AuthenticodeResult expected;
};

const Variant kVariants[] = {
    {"sha256", R::Verified},
    {"sha1", R::Verified},
    {"dual", R::Verified},     // SHA-1, with a nested SHA-256 signature
    {"reissued", R::Verified}, // the pinned key under another authority and another name
    {"dual-spoiled", R::Verified}, // a failing nested signature takes nothing from a pinned one
    {"impostor", R::NotPinned},
    {"serverauth", R::NotForCodeSigning},
    {"tampered", R::ImageChanged},
    {"appended", R::BadTable},
    {"second-entry", R::BadTable},
    {"truncated", R::BadTable},
    {"unsigned", R::Unsigned},
};

// As the installation holds a file it is about to start, load or place: readers only.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : m_h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr))
    {
        EXPECT_NE(m_h, INVALID_HANDLE_VALUE) << path;
    }
    ~HeldFile() { ::CloseHandle(m_h); }
    HANDLE Handle() const { return m_h; }

private:
    HANDLE m_h;
};

class PublisherCheck : public ::testing::TestWithParam<std::tuple<const char*, Variant>> {
protected:
    void SetUp() override
    {
        if (!*VENDOR_KEY_PINS)
            GTEST_SKIP() << "built without pins";
    }
};

} // namespace

TEST_P(PublisherCheck, EachSignedFileGetsItsVerdict)
{
    const char* program = std::get<0>(GetParam());
    const Variant& v = std::get<1>(GetParam());
    HeldFile file(StandinRoot() + "\\payloads\\" + v.prefix + "-" + program);
    EXPECT_EQ(VerifyPublisher(file.Handle(), VENDOR_KEY_PINS), v.expected);
}

INSTANTIATE_TEST_SUITE_P(Payloads, PublisherCheck,
                         ::testing::Combine(::testing::Values("TLFreeSetup.exe", "VestaINet.dll"),
                                            ::testing::ValuesIn(kVariants)),
                         [](const ::testing::TestParamInfo<PublisherCheck::ParamType>& info) {
                             std::string name = std::string(std::get<1>(info.param).prefix) + "_" +
                                                std::get<0>(info.param);
                             for (char& c : name)
                                 c = isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(PublisherCheckOther, NoImageNoHandleAndAnUnpinnedDriverAreRefused)
{
    if (!*VENDOR_KEY_PINS)
        GTEST_SKIP() << "built without pins";
    EXPECT_EQ(VerifyPublisher(HeldFile(StandinRoot() + "\\data\\20080301\\cvxpdf.lst").Handle(), VENDOR_KEY_PINS),
              R::NotAnImage);
    EXPECT_EQ(VerifyPublisher(INVALID_HANDLE_VALUE, VENDOR_KEY_PINS), R::Unreadable);
    EXPECT_EQ(VerifyPublisher(nullptr, VENDOR_KEY_PINS), R::Unreadable);

    EXPECT_TRUE(IsPinnedDriver(HeldFile(StandinRoot() + "\\mdb\\ODBCJT32.DLL").Handle(), ODBC_DRIVER_SHA256));
    EXPECT_FALSE(
        IsPinnedDriver(HeldFile(StandinRoot() + "\\payloads\\unpinned-ODBCJT32.DLL").Handle(), ODBC_DRIVER_SHA256));
    // A key's pin is no driver's.
    EXPECT_FALSE(IsPinnedDriver(HeldFile(StandinRoot() + "\\mdb\\ODBCJT32.DLL").Handle(), VENDOR_KEY_PINS));
}
