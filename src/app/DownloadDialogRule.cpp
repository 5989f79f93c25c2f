#include "app/DownloadDialogRule.h"

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
    const size_t n = std::strlen(PRODUCT_SETUP_FILE);
    if (end - start != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char a = pszUrl[start + i], b = PRODUCT_SETUP_FILE[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
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
