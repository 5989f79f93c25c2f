#include "install/OsKindRules.h"

namespace {

const DWORD PLATFORM_WIN9X = 1;
const DWORD PLATFORM_NT = 2;

const BYTE NT_WORKSTATION = 1;
const BYTE NT_SERVER = 3;

const WORD SUITE_ENTERPRISE = 0x0002;
const WORD SUITE_DATACENTER = 0x0080;
const WORD SUITE_PERSONAL = 0x0200;

OsKind_t ClassifyWin9x(const OsVersionFacts& f)
{
    if (f.dwMajorVersion != 4)
        return OSKIND_UNKNOWN;
    switch (f.dwMinorVersion) {
    case 0: // OSR2 carries the release letter B or C
        return (f.chRelease == 'B' || f.chRelease == 'C') ? OSKIND_WIN95_OSR2 : OSKIND_WIN95;
    case 10: // Second Edition carries A
        return f.chRelease == 'A' ? OSKIND_WIN98_SE : OSKIND_WIN98;
    case 90:
        return OSKIND_WINME;
    default:
        return OSKIND_UNKNOWN;
    }
}

// 0 when the registry text is none of the three known ones.
int ProductTypeOfText(const CString& text)
{
    if (text.CompareNoCase("WINNT") == 0)
        return 1;
    if (text.CompareNoCase("LANMANNT") == 0)
        return 2;
    if (text.CompareNoCase("SERVERNT") == 0)
        return 3;
    return OSKIND_UNKNOWN;
}

OsKind_t Classify2000(const OsVersionFacts& f)
{
    if (!f.bExtended) {
        static const OsKind_t byRegistryType[] = {OSKIND_WIN2000, OSKIND_WIN2000_PRO, OSKIND_WIN2000_SERVER,
                                                   OSKIND_WIN2000_ADVANCED};
        return byRegistryType[ProductTypeOfText(f.strProductType)];
    }
    if (f.wProductType == NT_WORKSTATION)
        return OSKIND_WIN2000_PRO;
    if (f.wProductType != NT_SERVER) // a domain controller is not recognised
        return OSKIND_UNKNOWN;
    if (f.wSuiteMask & SUITE_DATACENTER)
        return OSKIND_WIN2000_DATACENTER;
    return (f.wSuiteMask & SUITE_ENTERPRISE) ? OSKIND_WIN2000_ADVANCED : OSKIND_WIN2000_SERVER;
}

OsKind_t ClassifyXp(const OsVersionFacts& f)
{
    if (!f.bExtended || f.wProductType != NT_WORKSTATION)
        return OSKIND_XP;
    return (f.wSuiteMask & SUITE_PERSONAL) ? OSKIND_XP_HOME : OSKIND_XP_PRO;
}

OsKind_t ClassifyNt4(const OsVersionFacts& f)
{
    if (!f.bExtended) // before Service Pack 6
        return OSKIND_NT4;
    return f.wProductType == NT_WORKSTATION ? OSKIND_NT4_WORKSTATION : OSKIND_NT4_OTHER;
}

OsKind_t ClassifyNt(const OsVersionFacts& f)
{
    const DWORD minor = f.dwMinorVersion;
    switch (f.dwMajorVersion) {
    case 6:
        return minor == 0 ? OSKIND_VISTA : OSKIND_UNKNOWN;
    case 5:
        switch (minor) {
        case 0:
            return Classify2000(f);
        case 1:
            return ClassifyXp(f);
        case 2:
            return OSKIND_SERVER2003;
        default:
            return OSKIND_UNKNOWN;
        }
    case 4:
        return minor == 0 ? ClassifyNt4(f) : OSKIND_UNKNOWN;
    default:
        return OSKIND_UNKNOWN;
    }
}

} // namespace

OsKind_t ClassifyOsKind(const OsVersionFacts& f)
{
    if (!f.bQueried)
        return OSKIND_UNKNOWN;
    switch (f.dwPlatformId) {
    case PLATFORM_WIN9X:
        return ClassifyWin9x(f);
    case PLATFORM_NT:
        return ClassifyNt(f);
    default:
        return OSKIND_UNKNOWN;
    }
}

const char* FilterDriverDevice(DWORD dwVersion)
{
    const BYTE major = static_cast<BYTE>(dwVersion & 0xFF);
    return major < 5 ? "\\\\.\\cxmfile" : "\\\\.\\Global\\cxmfile";
}
