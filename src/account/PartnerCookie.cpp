#include "account/PartnerCookie.h"

#include "account/Tokenizer.h"
#include "framework/File.h"
#include "install/OsKindRules.h"

#include <algorithm>
#include <cstring>
#include <vector>

CString CookieSearchPattern(CString folder, DWORD osKind)
{
    if (IsVistaOrLater(osKind))
        folder += "\\Low";
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] == '\\')
        return folder + "*.txt";
    return folder + "\\*.txt";
}

bool IsAbsoluteFolder(const CString& folder)
{
    const int n = folder.GetLength();
    if (n >= 3 && folder[1] == ':' && folder[2] == '\\') {
        const char drive = folder[0];
        return (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    }
    return n >= 3 && folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\\';
}

void CCookieChooser::Offer(const CString& path, LONGLONG lastWriteSeconds)
{
    // A full path never starts with the name, so index 0 does not count.
    if (path.Find("vestainet") <= 0)
        return;
    if (m_strPath.IsEmpty() || lastWriteSeconds > m_lastWrite) {
        m_strPath = path;
        m_lastWrite = lastWriteSeconds;
    }
}

CString CookieValueFromText(const CString& text)
{
    const int first = text.Find('\n');
    if (first < 0)
        return CString();
    const CString rest = text.Mid(first + 1);
    const int second = rest.Find('\n');
    return second < 0 ? CString() : rest.Left(second);
}

void SplitCookieValue(const CString& value, CString* const members[5])
{
    CTokenizer tokenizer;
    tokenizer.SetText(value);
    for (int n = 0;; ++n) {
        const CString token = tokenizer.NextToken("&");
        if (token.IsEmpty())
            break;
        if (n < 5)
            *members[n] = token;
    }
}

int ReadFileBounded(const char* path, char* out, int outSize)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead))
        return -1;
    if (outSize <= 0)
        return 0;
    int total = 0;
    std::vector<char> chunk(1024);
    while (total < outSize - 1) {
        const UINT want = static_cast<UINT>(std::min<int>(static_cast<int>(chunk.size()), outSize - 1 - total));
        const UINT got = file.Read(chunk.data(), want);
        if (got == 0)
            break;
        std::copy(chunk.data(), chunk.data() + got, out + total);
        total += static_cast<int>(got);
    }
    out[total] = '\0';
    return total;
}

CString ReadCookieText(const char* path)
{
    std::vector<char> text(COOKIE_BUFFER_SIZE, '\0');
    if (ReadFileBounded(path, text.data(), COOKIE_BUFFER_SIZE) < 0)
        return "none";
    return CString(text.data());
}

#ifdef _WIN32

#include "framework/FileFind.h"
#include "framework/Registry.h"
#include "install/InstallDlg.h"

CString GetCookieFolder()
{
    CRegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                        0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return CString();
    CString folder;
    return ReadRegText(key, "Cookies", 128, folder) == ERROR_SUCCESS ? folder : CString("none");
}

CString FindPartnerCookieFile(DWORD osKind)
{
    // A missing or unusable value means no cookie, never a search of
    // whatever the current folder happens to be.
    const CString folder = GetCookieFolder();
    if (!IsAbsoluteFolder(folder))
        return CString();
    CCookieChooser chooser;
    CFileFind finder;
    BOOL more = finder.FindFile(CookieSearchPattern(folder, osKind));
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots())
            continue;
        // Compared in whole seconds: files written within the same second
        // count as equal, and the one listed first is kept.
        FILETIME written{};
        finder.GetLastWriteTime(&written);
        const ULONGLONG ticks = (ULONGLONG(written.dwHighDateTime) << 32) | written.dwLowDateTime;
        chooser.Offer(finder.GetFilePath(), static_cast<LONGLONG>(ticks / 10000000));
    }
    return chooser.Chosen();
}

BOOL CInstallDlg::ReadPartnerCookie()
{
    m_strCookieValue = CookieValueFromText(ReadTextFile(FindPartnerCookieFile(OsKind)));
    CString* const members[5] = {&m_strCookieField0, &m_strCookieUserId, &m_strCookieField2, &m_strCookieUserName,
                                 &m_strCookiePhone};
    SplitCookieValue(m_strCookieValue, members);
    return !m_strCookieUserId.IsEmpty();
}

CString CInstallDlg::ReadTextFile(CString path)
{
    return ReadCookieText(path);
}

int CInstallDlg::ReadFileBytes(char* out, const char* path, int nOutSize)
{
    return ReadFileBounded(path, out, nOutSize);
}

#endif
