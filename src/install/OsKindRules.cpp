#include "OsKindRules.h"

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
        return 0;
    switch (f.dwMinorVersion) {
    case 0: // OSR2 carries the release letter B or C
        return (f.chRelease == 'B' || f.chRelease == 'C') ? 42 : 41;
    case 10: // Second Edition carries A
        return f.chRelease == 'A' ? 44 : 43;
    case 90:
        return 45;
    default:
        return 0;
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
    return 0;
}

OsKind_t Classify2000(const OsVersionFacts& f)
{
    if (!f.bExtended) {
        static const OsKind_t byRegistryType[] = {50, 51, 52, 53};
        return byRegistryType[ProductTypeOfText(f.strProductType)];
    }
    if (f.wProductType == NT_WORKSTATION)
        return 51;
    if (f.wProductType != NT_SERVER) // a domain controller is not recognised
        return 0;
    if (f.wSuiteMask & SUITE_DATACENTER)
        return 54;
    return (f.wSuiteMask & SUITE_ENTERPRISE) ? 53 : 52;
}

OsKind_t ClassifyXp(const OsVersionFacts& f)
{
    if (!f.bExtended || f.wProductType != NT_WORKSTATION)
        return 60;
    return (f.wSuiteMask & SUITE_PERSONAL) ? 63 : 61;
}

OsKind_t ClassifyNt4(const OsVersionFacts& f)
{
    if (!f.bExtended) // before Service Pack 6
        return 31;
    return f.wProductType == NT_WORKSTATION ? 36 : 37;
}

OsKind_t ClassifyNt(const OsVersionFacts& f)
{
    const DWORD minor = f.dwMinorVersion;
    switch (f.dwMajorVersion) {
    case 6:
        return minor == 0 ? 100 : 0;
    case 5:
        switch (minor) {
        case 0:
            return Classify2000(f);
        case 1:
            return ClassifyXp(f);
        case 2:
            return 70;
        default:
            return 0;
        }
    case 4:
        return minor == 0 ? ClassifyNt4(f) : 0;
    default:
        return 0;
    }
}

} // namespace

OsKind_t ClassifyOsKind(const OsVersionFacts& f)
{
    if (!f.bQueried)
        return 0;
    switch (f.dwPlatformId) {
    case PLATFORM_WIN9X:
        return ClassifyWin9x(f);
    case PLATFORM_NT:
        return ClassifyNt(f);
    default:
        return 0;
    }
}

const char* FilterDriverDevice(DWORD dwVersion)
{
    const BYTE major = static_cast<BYTE>(dwVersion & 0xFF);
    return major < 5 ? "\\\\.\\cxmfile" : "\\\\.\\Global\\cxmfile";
}
