#include "app/DownloadDialogRule.h"

#include <cstring>

const char PRODUCT_SETUP_FILE[] = "TallowFree.exe";

DownloadDialog RecogniseDownloadDialog(const char* pszWarningFile, const char* pszPlainSite,
                                       const char* pszPartnerHost)
{
    // Byte for byte and case-sensitive: the page offers exactly this name.
    if (pszWarningFile && std::strcmp(pszWarningFile, PRODUCT_SETUP_FILE) == 0)
        return DownloadDialog::SecurityWarning;
    // Only the partner site itself: any other site's download is the
    // visitor's own business and must not be cancelled.
    if (pszPlainSite && pszPartnerHost && std::strcmp(pszPlainSite, pszPartnerHost) == 0)
        return DownloadDialog::Plain;
    return DownloadDialog::None;
}
