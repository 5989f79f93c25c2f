// What the download worker fetches and where each file lands, decided from
// plain values so the rules can be checked without Windows.
#pragma once

#include "framework/List.h"
#include "install/OsKindRules.h"
#include "net/DownloadKind.h"

// The path segments the web service handed out at sign-in.
struct PlanSegments {
    CString productDir;
    CString versionDir; // already the one that fits OsKind
    CString dataDir;
    CString sDataDir;
    CString plDataDir;
};

// What the web service may name as a folder of the download server: one
// segment of [A-Za-z0-9._-], 1 to 64 of them, neither "." nor "..". Anything
// else would let the reply reach beyond the folders the plan walks.
bool IsSafePathSegment(const CString& segment);
bool AreSafeSegments(const PlanSegments& segments);

// Appends the setup program's URL and the five data lists, in download order.
void AppendPlanUrls(CStringList& list, const CString& host, DWORD osKind, const PlanSegments& segments);
// The ODBC driver library, fetched only when it is neither registered nor
// present; it is always the plan's last entry.
CString OdbcLibraryUrl(const CString& host);
// Where the ODBC Access driver is registered, under HKEY_LOCAL_MACHINE.
const char ODBC_ACCESS_KEY[] = "Software\\ODBC\\ODBCINST.INI\\Microsoft Access Driver (*.mdb)";

// An entry's kind is its place in the plan, never anything its URL says:
// the setup program first, the five lists, then the ODBC driver.
DownloadKind PlanEntryKind(int index);

struct DownloadFolders {
    CString temp;       // ends with a backslash
    CString system;     // no trailing backslash
    CString windows;    // no trailing backslash
    CString productDir; // Windows folder\Downloaded Program Files\wintl
};

// A temporary folder the setup program's private folder can go in: a full
// path ending with a backslash, short enough for the name and Tempcr.exe.
bool IsUsableTempFolder(const CString& temp);
// The local file of the plan's entry at index, from its place alone: the
// setup program as Tempcr.exe in folders.temp (the private folder made for
// the run), the lists under their own names in the folder OsKind keeps data
// in, the driver in the system folder. Empty for a place the plan never has.
CString PlanLocalPath(int index, DWORD osKind, const DownloadFolders& folders);

// The install dialog's progress bar runs from 0 to PROGRESS_UNITS; the files
// of the plan share it.
const int PROGRESS_UNITS = 400;

// Position on the bar after `received` of `length` bytes of a file
// whose share of the bar is `share` and which starts at `base`. Computed in
// 64 bits so that bodies of any size move the bar forward.
int ProgressPosition(int base, int share, uint64_t received, uint64_t length);
// "37%" for position 150.
CString PercentText(int position);
