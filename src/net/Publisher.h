// The checks of what the vendor ships, on the file a held handle reads: a
// program or library must carry an Authenticode signature made with one of
// the pinned keys, the ODBC driver must be one of the pinned files.
#pragma once

#include "net/Authenticode.h"

#include <windows.h>

// hFile must be open for reading, and nobody else may write the file while
// this runs and until the caller has loaded, started or placed it. keyPins
// as VENDOR_KEY_PINS: Verified for a file signed with one of them only.
AuthenticodeResult VerifyPublisher(HANDLE hFile, const char* keyPins);

// The same handle rules; pins as ODBC_DRIVER_SHA256.
bool IsPinnedDriver(HANDLE hFile, const char* pins);
