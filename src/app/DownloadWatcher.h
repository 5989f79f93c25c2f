// How the download watcher tells the browser's download dialog for our setup
// file from any other download. The browser's dialogs are found by their
// titles; what they show decides.
#pragma once

// Titles of the browser's two download dialogs (code page 949).
extern const char DOWNLOAD_WARNING_TITLE[]; // security warning: the file name is the 4th child
extern const char DOWNLOAD_PLAIN_TITLE[];   // plain dialog: the site is the 2nd child

// The file the sign-up page offers.
extern const char PRODUCT_SETUP_FILE[];

enum class DownloadDialog {
    None,
    SecurityWarning, // the security warning names our setup file
    Plain,           // the plain dialog names the partner site
};

// One pass of the watcher. pszWarningFile is the security warning's file-name
// text, pszPlainSite the plain dialog's site text; null where that dialog or
// child is missing. The warning is judged first.
DownloadDialog RecogniseDownloadDialog(const char* pszWarningFile, const char* pszPlainSite,
                                       const char* pszPartnerHost);
