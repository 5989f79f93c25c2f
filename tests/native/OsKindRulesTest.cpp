// Every Windows version and edition the checks tell apart, and the edges
// between them.
#include "OsKindRules.h"

#include <gtest/gtest.h>

namespace {

OsVersionFacts Extended(DWORD major, DWORD minor, BYTE type = 1, WORD suite = 0)
{
    OsVersionFacts f;
    f.bQueried = f.bExtended = true;
    f.dwPlatformId = 2;
    f.dwMajorVersion = major;
    f.dwMinorVersion = minor;
    f.wProductType = type;
    f.wSuiteMask = suite;
    return f;
}

OsVersionFacts BasicNt(DWORD major, DWORD minor, const char* productType = "")
{
    OsVersionFacts f;
    f.bQueried = true;
    f.dwPlatformId = 2;
    f.dwMajorVersion = major;
    f.dwMinorVersion = minor;
    f.strProductType = productType;
    return f;
}

OsVersionFacts Win9x(DWORD minor, char release, DWORD major = 4)
{
    OsVersionFacts f;
    f.bQueried = true;
    f.dwPlatformId = 1;
    f.dwMajorVersion = major;
    f.dwMinorVersion = minor;
    f.chRelease = release;
    return f;
}

} // namespace

TEST(OsKindRules, Windows9xByMinorVersionAndReleaseLetter)
{
    EXPECT_EQ(ClassifyOsKind(Win9x(0, 0)), 41u);
    EXPECT_EQ(ClassifyOsKind(Win9x(0, 'A')), 41u);
    EXPECT_EQ(ClassifyOsKind(Win9x(0, 'B')), 42u);
    EXPECT_EQ(ClassifyOsKind(Win9x(0, 'C')), 42u);
    EXPECT_EQ(ClassifyOsKind(Win9x(0, 'b')), 41u) << "the letter is compared as it stands";
    EXPECT_EQ(ClassifyOsKind(Win9x(10, ' ')), 43u);
    EXPECT_EQ(ClassifyOsKind(Win9x(10, 'A')), 44u);
    EXPECT_EQ(ClassifyOsKind(Win9x(10, 'B')), 43u);
    EXPECT_EQ(ClassifyOsKind(Win9x(90, 0)), 45u);
    EXPECT_EQ(ClassifyOsKind(Win9x(3, 'A')), 0u);
    EXPECT_EQ(ClassifyOsKind(Win9x(10, 'A', 5)), 0u);
    EXPECT_EQ(ClassifyOsKind(Win9x(10, 'A', 3)), 0u);
}

TEST(OsKindRules, Windows9xReportingExtendedInformationKeepsItsOwnRules)
{
    OsVersionFacts f = Win9x(10, 'A');
    f.bExtended = true;
    f.wProductType = 1;
    EXPECT_EQ(ClassifyOsKind(f), 44u);
}

TEST(OsKindRules, ExtendedNtByVersionProductTypeAndSuite)
{
    EXPECT_EQ(ClassifyOsKind(Extended(4, 0, 1)), 36u);
    EXPECT_EQ(ClassifyOsKind(Extended(4, 0, 3)), 37u);
    EXPECT_EQ(ClassifyOsKind(Extended(4, 0, 2)), 37u);
    EXPECT_EQ(ClassifyOsKind(Extended(4, 1, 1)), 0u);

    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 1)), 51u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 3)), 52u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 3, 0x0002)), 53u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 3, 0x0080)), 54u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 3, 0x0082)), 54u) << "datacenter outranks enterprise";
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 3, 0x0100)), 52u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 2)), 0u) << "domain controller";
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 0)), 0u);

    EXPECT_EQ(ClassifyOsKind(Extended(5, 1, 1)), 61u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 1, 1, 0x0100)), 61u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 1, 1, 0x0300)), 63u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 1, 3, 0x0200)), 60u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 1, 2)), 60u);

    EXPECT_EQ(ClassifyOsKind(Extended(5, 2, 1)), 70u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 2, 3, 0x0080)), 70u);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 3, 1)), 0u);

    EXPECT_EQ(ClassifyOsKind(Extended(6, 0, 1)), 100u);
    EXPECT_EQ(ClassifyOsKind(Extended(6, 0, 3)), 100u);
    EXPECT_EQ(ClassifyOsKind(Extended(6, 1, 1)), 0u) << "Windows 7";
    EXPECT_EQ(ClassifyOsKind(Extended(6, 2, 1)), 0u);
    EXPECT_EQ(ClassifyOsKind(Extended(3, 51, 1)), 0u);
    EXPECT_EQ(ClassifyOsKind(Extended(10, 0, 1)), 0u);
}

TEST(OsKindRules, NtWithoutExtendedInformationUsesTheRegistryProductType)
{
    EXPECT_EQ(ClassifyOsKind(BasicNt(4, 0)), 31u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(4, 0, "WINNT")), 31u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(4, 10)), 0u);

    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "WINNT")), 51u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "WinNT")), 51u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "LANMANNT")), 52u) << "domain controller";
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "lanmannt")), 52u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "ServerNT")), 53u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "")), 50u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "WINNT ")), 50u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "TERMINALNT")), 50u);

    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 1, "SERVERNT")), 60u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 2)), 70u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 3)), 0u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(6, 0)), 100u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(6, 1)), 0u);
    EXPECT_EQ(ClassifyOsKind(BasicNt(3, 51)), 0u);
}

TEST(OsKindRules, NoAnswerOrAnUnknownPlatformIsNotRecognised)
{
    OsVersionFacts none;
    EXPECT_EQ(ClassifyOsKind(none), 0u);

    OsVersionFacts win32s = Win9x(10, 'A');
    win32s.dwPlatformId = 0;
    EXPECT_EQ(ClassifyOsKind(win32s), 0u);

    OsVersionFacts ce = Extended(5, 1, 1);
    ce.dwPlatformId = 3;
    EXPECT_EQ(ClassifyOsKind(ce), 0u);
}

TEST(OsKindRules, RangesTheChecksActOn)
{
    for (OsKind_t refused : {0u, 41u, 42u, 101u, 0xFFFFFFFFu})
        EXPECT_TRUE(IsUnsupportedOsKind(refused)) << refused;
    for (OsKind_t accepted : {31u, 36u, 37u, 43u, 44u, 45u, 50u, 54u, 60u, 63u, 70u, 100u})
        EXPECT_FALSE(IsUnsupportedOsKind(accepted)) << accepted;

    EXPECT_TRUE(IsNtOsKind(40));
    EXPECT_FALSE(IsNtOsKind(41));
    EXPECT_FALSE(IsNtOsKind(49));
    EXPECT_TRUE(IsNtOsKind(50));
    EXPECT_TRUE(IsNtOsKind(100));
    EXPECT_FALSE(IsWin9xOsKind(40));
    EXPECT_TRUE(IsWin9xOsKind(41));
    EXPECT_TRUE(IsWin9xOsKind(49));
    EXPECT_FALSE(IsWin9xOsKind(50));
}

TEST(OsKindRules, DriverDeviceFollowsTheLowByteOfTheVersion)
{
    EXPECT_STREQ(FilterDriverDevice(0x05650004), "\\\\.\\cxmfile");        // NT 4.0 build 1381
    EXPECT_STREQ(FilterDriverDevice(0x08930005), "\\\\.\\Global\\cxmfile"); // 2000 build 2195
    EXPECT_STREQ(FilterDriverDevice(0x0A280105), "\\\\.\\Global\\cxmfile"); // XP build 2600
    EXPECT_STREQ(FilterDriverDevice(0x1DB10106), "\\\\.\\Global\\cxmfile");
    EXPECT_STREQ(FilterDriverDevice(0x00000304), "\\\\.\\cxmfile") << "the minor byte does not count";
}
