// How the download watcher tells the browser's download dialog for our setup
// file from any other download. The browser's dialogs are found by their
// titles; what they show decides.
#pragma once

#include "res/FixedTexts.h" // the titles of the browser's download dialogs

// The file the sign-up page offers.
extern const char PRODUCT_SETUP_FILE[];

enum class DownloadDialog {
    None,
    SecurityWarning, // the security warning names our setup file
    Plain,           // the plain dialog names the partner site
};

// Whether a URL the browser is about to fetch names our setup file (its last
// path segment, before any query, in any case): Internet Explorer 4 tells of
// a download only this way.
bool NamesSetupFile(const char* pszUrl);

// One pass of the watcher. pszWarningFile is the security warning's file-name
// text, pszPlainSite the plain dialog's site text; null where that dialog or
// child is missing. The warning is judged first.
DownloadDialog RecogniseDownloadDialog(const char* pszWarningFile, const char* pszPlainSite,
                                       const char* pszPartnerHost);
