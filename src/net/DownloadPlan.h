// What the download worker fetches and where each file lands, decided from
// plain values so the rules can be checked without Windows.
#pragma once

#include "List.h"
#include "OsKindRules.h"

#include <cstdint>

// OsKind ranges of the downloads, beside IsWin9xOsKind.
inline bool UsesWin98Setup(DWORD osKind) { return osKind >= 43 && osKind <= 45; }
inline bool IsVistaOrLater(DWORD osKind) { return osKind >= 100; }

// The path segments the web service handed out at sign-in.
struct PlanSegments {
    CString productDir;
    CString versionDir; // already the one that fits OsKind
    CString dataDir;
    CString sDataDir;
    CString plDataDir;
};

// Appends the setup program's URL and the five data lists, in download order.
// URLs are plain strings of any length: long segments are never cut.
void AppendPlanUrls(CStringList& list, const CString& host, DWORD osKind, const PlanSegments& segments);
// The ODBC driver library, fetched only when it is neither registered nor present.
CString OdbcLibraryUrl(const CString& host);

enum class DownloadKind { Setup, OdbcLibrary, DataFile };

struct DownloadFolders {
    CString temp;       // long form, ends with a backslash
    CString system;     // no trailing backslash
    CString windows;    // no trailing backslash
    CString productDir; // Windows folder\Downloaded Program Files\wintl
};

// The local file for a URL: the first of the setup names, the ODBC library,
// then the name after the URL's last "/" in the folder OsKind keeps data in.
CString LocalDownloadPath(const CString& url, DWORD osKind, const DownloadFolders& folders, DownloadKind& kind);

// Position on the 400-unit bar after `received` of `length` bytes of a file
// whose share of the bar is `share` and which starts at `base`. Computed in
// 64 bits so that bodies of any size move the bar forward.
int ProgressPosition(int base, int share, uint64_t received, uint64_t length);
// "37%" for position 150.
CString PercentText(int position);
