#include "app/DownloadDialogRule.h"

#include "framework/String.h"

#include <cstring>

const char PRODUCT_SETUP_FILE[] = "TallowFree.exe";

bool NamesSetupFile(const char* pszUrl)
{
    if (!pszUrl)
        return false;
    const size_t end = std::strcspn(pszUrl, "?#");
    size_t start = end;
    while (start > 0 && pszUrl[start - 1] != '/' && pszUrl[start - 1] != '\\')
        --start;
    return CString(pszUrl + start, static_cast<int>(end - start)).CompareNoCase(PRODUCT_SETUP_FILE) == 0;
}

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
