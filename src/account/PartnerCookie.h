// The partner site's cookie: which cookie file is the partner's, the value it
// holds, and the five fields the installation takes from that value.
#pragma once

#include "framework/String.h"

// Cookie files are read into a text buffer of this size; a longer file is cut
// to its first COOKIE_BUFFER_SIZE - 1 bytes.
const int COOKIE_BUFFER_SIZE = 1024;

// The search pattern for the cookie files in folder: the protected-mode "\Low"
// sub-folder on Vista and later (IsVistaOrLater), no doubled separator.
CString CookieSearchPattern(CString folder, DWORD osKind);
// Whether a folder value names a whole path ("X:\..." or "\\server\..."):
// anything else would be searched relative to the current folder.
bool IsAbsoluteFolder(const CString& folder);

// Picks the partner's cookie among the files found: only paths containing
// "vestainet" (case-sensitive), the latest last-write time, and on equal
// times the file offered first. The browser writes the cookie it sets; the
// last access says nothing (FAT keeps it to the day, Vista no longer keeps it).
class CCookieChooser {
public:
    void Offer(const CString& path, LONGLONG lastWriteSeconds);
    const CString& Chosen() const { return m_strPath; }

private:
    CString m_strPath;
    LONGLONG m_lastWrite = 0;
};

// The cookie's value: the second LF-terminated line of the file's text, or ""
// when the text has fewer than two LF. A CR before the LF stays in the value.
CString CookieValueFromText(const CString& text);

// Splits value at "&" into members[0..4] in order, stopping at the first empty
// field; fields after the fifth are dropped. A member without a field keeps
// what it held.
void SplitCookieValue(const CString& value, CString* const members[5]);

// Copies at most outSize - 1 bytes of the file to out and ends them with a zero
// byte; returns the count copied, or -1 when the file cannot be opened.
int ReadFileBounded(const char* path, char* out, int outSize);
// The file's text up to its first zero byte, cut as above; "none" when the file
// cannot be opened.
CString ReadCookieText(const char* path);

#ifdef _WIN32
// The current user's cookie folder from the Shell Folders key: "none" when the
// "Cookies" value is missing or too long, "" when the key does not open.
CString GetCookieFolder();
// The chosen partner cookie file for this OsKind, or "" when none matches or
// the folder value is no whole path.
CString FindPartnerCookieFile(DWORD osKind);
#endif
