// Which Windows this is, decided from what the version queries reported.
// Kept apart from the queries themselves so every version and edition can be
// checked without the system in question.
#pragma once

#include "framework/String.h"

// The running Windows version and edition. Stored as a plain number because
// anything may arrive where one is read back (the predicates below give every
// number a defined answer); the names are the values ClassifyOsKind hands out.
typedef DWORD OsKind_t;

enum WindowsKind : OsKind_t {
    OSKIND_UNKNOWN = 0,
    OSKIND_NT4 = 31,             // without extended version information
    OSKIND_NT4_WORKSTATION = 36,
    OSKIND_NT4_OTHER = 37,       // any other product type
    OSKIND_WIN95 = 41,           // first of the 9x family
    OSKIND_WIN95_OSR2 = 42,
    OSKIND_WIN98 = 43,
    OSKIND_WIN98_SE = 44,
    OSKIND_WINME = 45,
    OSKIND_9X_LAST = 49,         // the 9x family reaches this far
    OSKIND_WIN2000 = 50,         // product type not determined
    OSKIND_WIN2000_PRO = 51,
    OSKIND_WIN2000_SERVER = 52,  // also a domain controller told by the registry
    OSKIND_WIN2000_ADVANCED = 53, // also a stand-alone server told by the registry
    OSKIND_WIN2000_DATACENTER = 54,
    OSKIND_XP = 60,              // edition not determined
    OSKIND_XP_PRO = 61,
    OSKIND_XP_HOME = 63,
    OSKIND_SERVER2003 = 70,      // version 5.2
    OSKIND_VISTA = 100,          // version 6.0
};

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
    return kind == OSKIND_UNKNOWN || kind == OSKIND_WIN95 || kind == OSKIND_WIN95_OSR2 || kind > OSKIND_VISTA;
}
// Files in the Windows folder, no administrator or driver check, no folder
// creation. Windows 95 belongs to the family although it is refused.
inline bool IsWin9xOsKind(OsKind_t kind)
{
    return kind >= OSKIND_WIN95 && kind <= OSKIND_9X_LAST;
}
inline bool IsNtOsKind(OsKind_t kind)
{
    return !IsWin9xOsKind(kind);
}
// Windows 98, 98 SE and Me: the Windows 98/Me setup program and download folder.
inline bool UsesWin98Setup(OsKind_t kind)
{
    return kind >= OSKIND_WIN98 && kind <= OSKIND_WINME;
}
// Cookies under "\Low", the "runas" launch, no ODBC repair.
inline bool IsVistaOrLater(OsKind_t kind)
{
    return kind >= OSKIND_VISTA;
}

// The filter driver's device under the major version in the low byte of
// GetVersion's result: only Windows 2000 and later know the Global namespace.
const char* FilterDriverDevice(DWORD dwVersion);
