// Every Windows version and edition the checks tell apart, and the edges
// between them.
#include "install/OsKindRules.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using Kinds = std::initializer_list<OsKind_t>;

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
    EXPECT_EQ(ClassifyOsKind(Win9x(0, 0)), OSKIND_WIN95);
    EXPECT_EQ(ClassifyOsKind(Win9x(0, 'A')), OSKIND_WIN95);
    EXPECT_EQ(ClassifyOsKind(Win9x(0, 'B')), OSKIND_WIN95_OSR2);
    EXPECT_EQ(ClassifyOsKind(Win9x(0, 'C')), OSKIND_WIN95_OSR2);
    EXPECT_EQ(ClassifyOsKind(Win9x(0, 'b')), OSKIND_WIN95) << "the letter is compared as it stands";
    EXPECT_EQ(ClassifyOsKind(Win9x(10, ' ')), OSKIND_WIN98);
    EXPECT_EQ(ClassifyOsKind(Win9x(10, 'A')), OSKIND_WIN98_SE);
    EXPECT_EQ(ClassifyOsKind(Win9x(10, 'B')), OSKIND_WIN98);
    EXPECT_EQ(ClassifyOsKind(Win9x(90, 0)), OSKIND_WINME);
    EXPECT_EQ(ClassifyOsKind(Win9x(3, 'A')), OSKIND_UNKNOWN);
    EXPECT_EQ(ClassifyOsKind(Win9x(10, 'A', 5)), OSKIND_UNKNOWN);
    EXPECT_EQ(ClassifyOsKind(Win9x(10, 'A', 3)), OSKIND_UNKNOWN);
}

TEST(OsKindRules, Windows9xReportingExtendedInformationKeepsItsOwnRules)
{
    OsVersionFacts f = Win9x(10, 'A');
    f.bExtended = true;
    f.wProductType = 1;
    EXPECT_EQ(ClassifyOsKind(f), OSKIND_WIN98_SE);
}

TEST(OsKindRules, ExtendedNtByVersionProductTypeAndSuite)
{
    EXPECT_EQ(ClassifyOsKind(Extended(4, 0, 1)), OSKIND_NT4_WORKSTATION);
    EXPECT_EQ(ClassifyOsKind(Extended(4, 0, 3)), OSKIND_NT4_OTHER);
    EXPECT_EQ(ClassifyOsKind(Extended(4, 0, 2)), OSKIND_NT4_OTHER);
    EXPECT_EQ(ClassifyOsKind(Extended(4, 1, 1)), OSKIND_UNKNOWN);

    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 1)), OSKIND_WIN2000_PRO);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 3)), OSKIND_WIN2000_SERVER);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 3, 0x0002)), OSKIND_WIN2000_ADVANCED);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 3, 0x0080)), OSKIND_WIN2000_DATACENTER);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 3, 0x0082)), OSKIND_WIN2000_DATACENTER) << "datacenter outranks enterprise";
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 3, 0x0100)), OSKIND_WIN2000_SERVER);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 2)), OSKIND_UNKNOWN) << "domain controller";
    EXPECT_EQ(ClassifyOsKind(Extended(5, 0, 0)), OSKIND_UNKNOWN);

    EXPECT_EQ(ClassifyOsKind(Extended(5, 1, 1)), OSKIND_XP_PRO);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 1, 1, 0x0100)), OSKIND_XP_PRO);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 1, 1, 0x0300)), OSKIND_XP_HOME);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 1, 3, 0x0200)), OSKIND_XP);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 1, 2)), OSKIND_XP);

    EXPECT_EQ(ClassifyOsKind(Extended(5, 2, 1)), OSKIND_SERVER2003);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 2, 3, 0x0080)), OSKIND_SERVER2003);
    EXPECT_EQ(ClassifyOsKind(Extended(5, 3, 1)), OSKIND_UNKNOWN);

    EXPECT_EQ(ClassifyOsKind(Extended(6, 0, 1)), OSKIND_VISTA);
    EXPECT_EQ(ClassifyOsKind(Extended(6, 0, 3)), OSKIND_VISTA);
    EXPECT_EQ(ClassifyOsKind(Extended(6, 1, 1)), OSKIND_UNKNOWN) << "Windows 7";
    EXPECT_EQ(ClassifyOsKind(Extended(6, 2, 1)), OSKIND_UNKNOWN);
    EXPECT_EQ(ClassifyOsKind(Extended(3, 51, 1)), OSKIND_UNKNOWN);
    EXPECT_EQ(ClassifyOsKind(Extended(10, 0, 1)), OSKIND_UNKNOWN);
}

TEST(OsKindRules, NtWithoutExtendedInformationUsesTheRegistryProductType)
{
    EXPECT_EQ(ClassifyOsKind(BasicNt(4, 0)), OSKIND_NT4);
    EXPECT_EQ(ClassifyOsKind(BasicNt(4, 0, "WINNT")), OSKIND_NT4);
    EXPECT_EQ(ClassifyOsKind(BasicNt(4, 10)), OSKIND_UNKNOWN);

    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "WINNT")), OSKIND_WIN2000_PRO);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "WinNT")), OSKIND_WIN2000_PRO);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "LANMANNT")), OSKIND_WIN2000_SERVER) << "domain controller";
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "lanmannt")), OSKIND_WIN2000_SERVER);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "ServerNT")), OSKIND_WIN2000_ADVANCED);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "")), OSKIND_WIN2000);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "WINNT ")), OSKIND_WIN2000);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 0, "TERMINALNT")), OSKIND_WIN2000);

    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 1, "SERVERNT")), OSKIND_XP);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 2)), OSKIND_SERVER2003);
    EXPECT_EQ(ClassifyOsKind(BasicNt(5, 3)), OSKIND_UNKNOWN);
    EXPECT_EQ(ClassifyOsKind(BasicNt(6, 0)), OSKIND_VISTA);
    EXPECT_EQ(ClassifyOsKind(BasicNt(6, 1)), OSKIND_UNKNOWN);
    EXPECT_EQ(ClassifyOsKind(BasicNt(3, 51)), OSKIND_UNKNOWN);
}

TEST(OsKindRules, NoAnswerOrAnUnknownPlatformIsNotRecognised)
{
    OsVersionFacts none;
    EXPECT_EQ(ClassifyOsKind(none), OSKIND_UNKNOWN);

    OsVersionFacts win32s = Win9x(10, 'A');
    win32s.dwPlatformId = 0;
    EXPECT_EQ(ClassifyOsKind(win32s), OSKIND_UNKNOWN);

    OsVersionFacts ce = Extended(5, 1, 1);
    ce.dwPlatformId = 3;
    EXPECT_EQ(ClassifyOsKind(ce), OSKIND_UNKNOWN);
}

TEST(OsKindRules, RangesTheChecksActOn)
{
    for (OsKind_t refused : Kinds{OSKIND_UNKNOWN, OSKIND_WIN95, OSKIND_WIN95_OSR2, OSKIND_VISTA + 1, 0xFFFFFFFFu})
        EXPECT_TRUE(IsUnsupportedOsKind(refused)) << refused;
    for (OsKind_t accepted : Kinds{OSKIND_NT4, OSKIND_NT4_WORKSTATION, OSKIND_NT4_OTHER, OSKIND_WIN98, OSKIND_WIN98_SE,
                                   OSKIND_WINME, OSKIND_WIN2000, OSKIND_WIN2000_DATACENTER, OSKIND_XP, OSKIND_XP_HOME,
                                   OSKIND_SERVER2003, OSKIND_VISTA})
        EXPECT_FALSE(IsUnsupportedOsKind(accepted)) << accepted;

    EXPECT_TRUE(IsNtOsKind(OSKIND_WIN95 - 1));
    EXPECT_FALSE(IsNtOsKind(OSKIND_WIN95));
    EXPECT_FALSE(IsNtOsKind(OSKIND_9X_LAST));
    EXPECT_TRUE(IsNtOsKind(OSKIND_WIN2000));
    EXPECT_TRUE(IsNtOsKind(OSKIND_VISTA));
    EXPECT_FALSE(IsWin9xOsKind(OSKIND_WIN95 - 1));
    EXPECT_TRUE(IsWin9xOsKind(OSKIND_WIN95));
    EXPECT_TRUE(IsWin9xOsKind(OSKIND_9X_LAST));
    EXPECT_FALSE(IsWin9xOsKind(OSKIND_WIN2000));

    EXPECT_FALSE(UsesWin98Setup(OSKIND_WIN95_OSR2));
    EXPECT_TRUE(UsesWin98Setup(OSKIND_WIN98));
    EXPECT_TRUE(UsesWin98Setup(OSKIND_WINME));
    EXPECT_FALSE(UsesWin98Setup(OSKIND_WINME + 1));
    EXPECT_FALSE(IsVistaOrLater(OSKIND_SERVER2003));
    EXPECT_TRUE(IsVistaOrLater(OSKIND_VISTA));
    EXPECT_TRUE(IsVistaOrLater(0xFFFFFFFFu));
}

TEST(OsKindRules, DriverDeviceFollowsTheLowByteOfTheVersion)
{
    EXPECT_STREQ(FilterDriverDevice(0x05650004), "\\\\.\\cxmfile");        // NT 4.0 build 1381
    EXPECT_STREQ(FilterDriverDevice(0x08930005), "\\\\.\\Global\\cxmfile"); // 2000 build 2195
    EXPECT_STREQ(FilterDriverDevice(0x0A280105), "\\\\.\\Global\\cxmfile"); // XP build 2600
    EXPECT_STREQ(FilterDriverDevice(0x1DB10106), "\\\\.\\Global\\cxmfile");
    EXPECT_STREQ(FilterDriverDevice(0x00000304), "\\\\.\\cxmfile") << "the minor byte does not count";
}
