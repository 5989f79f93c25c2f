// Which Windows this is, decided from what the version queries reported.
// Kept apart from the queries themselves so every version and edition can be
// checked without the system in question.
#pragma once

#include "String.h"

// The running Windows version and edition. 0 is "not recognised"; 41 to 49 is
// the Windows 9x family, 100 and above Windows Vista, the rest Windows NT.
typedef DWORD OsKind_t;

// What GetVersionEx (and, without extended information, the product options
// in the registry) told about the system.
struct OsVersionFacts {
    bool bQueried = false;  // one of the two version queries succeeded
    bool bExtended = false; // the query with the extended structure succeeded
    DWORD dwPlatformId = 0;
    DWORD dwMajorVersion = 0;
    DWORD dwMinorVersion = 0;
    char chRelease = 0;     // second character of the service-pack text (9x release letter)
    BYTE wProductType = 0;  // extended only
    WORD wSuiteMask = 0;    // extended only
    CString strProductType; // "ProductType" of the product options; empty when unreadable
};

OsKind_t ClassifyOsKind(const OsVersionFacts& facts);

#ifdef _WIN32
// "ProductType" of the product options in HKEY_LOCAL_MACHINE, as strProductType
// wants it: empty when the value is missing or longer than a product type text.
CString ReadProductTypeText();
#endif

// Windows 95 and anything not recognised or newer than Vista.
inline bool IsUnsupportedOsKind(OsKind_t kind)
{
    return kind == 0 || kind == 41 || kind == 42 || kind > 100;
}
inline bool IsWin9xOsKind(OsKind_t kind)
{
    return kind >= 41 && kind <= 49;
}
inline bool IsNtOsKind(OsKind_t kind)
{
    return kind <= 40 || kind >= 50;
}

// The filter driver's device under the major version in the low byte of
// GetVersion's result: only Windows 2000 and later know the Global namespace.
const char* FilterDriverDevice(DWORD dwVersion);
