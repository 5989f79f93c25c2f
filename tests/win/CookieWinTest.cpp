// The partner cookie read from real files in the folder that the registry's
// Shell Folders "Cookies" value names, chosen by their real last-write times.
// Names and values hold Korean text in code page 949, as the browser writes
// them on a Korean system.
#include "account/PartnerCookie.h"
#include "framework/File.h"
#include "install/InstallDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char SHELL_FOLDERS[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

void WriteText(const CString& path, const std::string& content)
{
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite)) << path;
    file.Write(content.data(), static_cast<UINT>(content.size()));
}

// An install dialog object, its window never created, for one Windows kind.
struct Reader : CInstallDlg {
    explicit Reader(DWORD osKind) { OsKind = osKind; }
};

// Sets a file's last-write time to a fixed day plus `seconds`, and its
// last-access time to that day plus `accessSeconds`.
void SetFileTimes(const CString& path, int seconds, int accessSeconds)
{
    const auto onTheDay = [](int plus) {
        SYSTEMTIME day{2009, 3, 0, 3, 9, 5, 0, 0};
        FILETIME ft{};
        ::SystemTimeToFileTime(&day, &ft);
        ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
        t.QuadPart += static_cast<ULONGLONG>(plus) * 10000000;
        return FILETIME{t.LowPart, t.HighPart};
    };
    const FILETIME written = onTheDay(seconds), accessed = onTheDay(accessSeconds);
    HANDLE h = ::CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    EXPECT_TRUE(::SetFileTime(h, nullptr, &accessed, &written));
    ::CloseHandle(h);
}

// Points the current user's "Cookies" value at a fresh folder for the test,
// and puts back what was there.
class CookieWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, SHELL_FOLDERS, 0, KEY_ALL_ACCESS, &m_key), ERROR_SUCCESS);
        char old[1024] = {};
        DWORD size = sizeof(old) - 1;
        m_hadValue = ::RegQueryValueExA(m_key, "Cookies", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) ==
                     ERROR_SUCCESS;
        m_oldValue = old;

        char temp[MAX_PATH] = {};
        ::GetTempPathA(sizeof(temp), temp);
        m_folder = CString(temp) + "cookie test";
        ASSERT_TRUE(MakeFolder(m_folder));
        ASSERT_TRUE(MakeFolder(m_folder + "\\Low"));
        SetCookieFolder(m_folder);
    }

    void TearDown() override
    {
        for (const CString& path : m_files)
            ::DeleteFileA(path);
        for (auto dir = m_dirs.rbegin(); dir != m_dirs.rend(); ++dir)
            ::RemoveDirectoryA(*dir);
        if (m_hadValue)
            SetCookieFolder(m_oldValue);
        else
            ::RegDeleteValueA(m_key, "Cookies");
        ::RegCloseKey(m_key);
    }

    bool MakeFolder(const CString& path)
    {
        if (!::CreateDirectoryA(path, nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        m_dirs.push_back(path);
        return true;
    }

    void SetCookieFolder(const CString& folder)
    {
        ASSERT_EQ(::RegSetValueExA(m_key, "Cookies", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.str().c_str()),
                                   folder.GetLength() + 1),
                  ERROR_SUCCESS);
    }

    // A cookie file in the browser's format: name, value, host, then more
    // lines; written `seconds` into the test's day, last read when `accessSeconds` say.
    CString Cookie(const CString& name, const std::string& value, int seconds, const char* eol = "\n",
                   int accessSeconds = 0)
    {
        const CString path = m_folder + "\\" + name;
        WriteText(path, std::string("tlinfo") + eol + value + eol + "vestainet.example/" + eol + "1536" + eol);
        SetFileTimes(path, seconds, accessSeconds);
        m_files.push_back(path);
        return path;
    }

    HKEY m_key = nullptr;
    bool m_hadValue = false;
    CString m_oldValue;
    CString m_folder;
    // The user id a first read of the cookie gives.
    static CString UserIdRead(DWORD osKind)
    {
        Reader dlg(osKind);
        EXPECT_TRUE(dlg.ReadPartnerCookie());
        return dlg.m_strCookieUserId;
    }

    std::vector<CString> m_files;
    std::vector<CString> m_dirs;
};

} // namespace

TEST_F(CookieWin, LatestWrittenVestainetFileFillsTheMembers)
{
    // Read later on the same day (FAT keeps no more of it), written earlier.
    Cookie("hong@vestainet[1].txt", "old0&olduser&old2&옛이름&010-0000-0000", 100, "\n", 900);
    Cookie("hong@vestainet[2].txt", "p0&user77&ABCDEFGHIJKL&홍길동&010-1234-5678&extra", 200, "\n", 0);
    Cookie("hong@other[1].txt", "x0&xuser&x2&엑스&000", 300);

    EXPECT_EQ(GetCookieFolder(), m_folder);
    EXPECT_EQ(FindPartnerCookieFile(OSKIND_WIN2000_PRO), m_folder + "\\hong@vestainet[2].txt");

    Reader dlg(OSKIND_WIN2000_PRO);
    EXPECT_TRUE(dlg.ReadPartnerCookie());
    EXPECT_EQ(dlg.m_strCookieValue, "p0&user77&ABCDEFGHIJKL&홍길동&010-1234-5678&extra");
    EXPECT_EQ(dlg.m_strCookieField0, "p0");
    EXPECT_EQ(dlg.m_strCookieUserId, "user77");
    EXPECT_EQ(dlg.m_strCookieField2, "ABCDEFGHIJKL");
    EXPECT_EQ(dlg.m_strCookieUserName, "홍길동");
    EXPECT_EQ(dlg.m_strCookiePhone, "010-1234-5678");
}

TEST_F(CookieWin, EqualTimesKeepTheFileEnumeratedFirst)
{
    Cookie("a@vestainet[1].txt", "first&u1", 500);
    Cookie("b@vestainet[1].txt", "second&u2", 500);
    Cookie("c@vestainet[1].txt", "third&u3", 500);

    // Whatever order the file system lists them in, the first one listed wins.
    WIN32_FIND_DATAA found{};
    HANDLE h = ::FindFirstFileA(m_folder + "\\*@vestainet*.txt", &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::FindClose(h);
    EXPECT_EQ(FindPartnerCookieFile(OSKIND_WIN2000_PRO), m_folder + "\\" + found.cFileName);
}

TEST_F(CookieWin, VistaReadsOnlyTheLowFolder)
{
    Cookie("user@vestainet[1].txt", "top&topuser", 900);
    const CString low = m_folder + "\\Low\\user@vestainet[1].txt";
    WriteText(low, "tlinfo\nlow0&lowuser\n");
    SetFileTimes(low, 100, 100);
    m_files.push_back(low);

    EXPECT_EQ(UserIdRead(OSKIND_VISTA), "lowuser");
    EXPECT_EQ(UserIdRead(OSKIND_VISTA - 1), "topuser");
}

TEST_F(CookieWin, FolderWithTrailingBackslash)
{
    Cookie("user@vestainet[1].txt", "f0&withslash", 1);
    SetCookieFolder(m_folder + "\\");
    EXPECT_EQ(UserIdRead(OSKIND_WIN2000_PRO), "withslash");
}

TEST_F(CookieWin, SecondReadKeepsMembersTheNewValueLacks)
{
    const CString path = Cookie("user@vestainet[1].txt", "f0&first&f2&이름&010", 1, "\r\n");
    Reader dlg(OSKIND_WIN2000_PRO);
    EXPECT_TRUE(dlg.ReadPartnerCookie());
    // The CR of a CR LF line end stays on the last field.
    EXPECT_EQ(dlg.m_strCookiePhone, "010\r");

    WriteText(path, "tlinfo\nn0&&n2\n");
    EXPECT_TRUE(dlg.ReadPartnerCookie());
    EXPECT_EQ(dlg.m_strCookieField0, "n0");
    EXPECT_EQ(dlg.m_strCookieUserId, "first");
    EXPECT_EQ(dlg.m_strCookieField2, "f2");

    Reader fresh(OSKIND_WIN2000_PRO);
    EXPECT_FALSE(fresh.ReadPartnerCookie());
    EXPECT_EQ(fresh.m_strCookieField0, "n0");
}

TEST_F(CookieWin, NoUsableCookieFails)
{
    Reader dlg(OSKIND_WIN2000_PRO);
    EXPECT_FALSE(dlg.ReadPartnerCookie()); // empty folder

    Cookie("user@other[1].txt", "f0&user", 1);
    EXPECT_FALSE(dlg.ReadPartnerCookie());

    const CString oneLine = Cookie("user@vestainet[1].txt", "", 1);
    WriteText(oneLine, "tlinfo\nf0&user"); // the value line has no LF
    EXPECT_FALSE(dlg.ReadPartnerCookie());
    EXPECT_EQ(dlg.m_strCookieValue, "");

    // Without the registry value the search finds nothing.
    WriteText(oneLine, "tlinfo\nf0&user\n");
    ::RegDeleteValueA(m_key, "Cookies");
    EXPECT_EQ(GetCookieFolder(), "none");
    EXPECT_FALSE(dlg.ReadPartnerCookie());

    // A value too long for the 128-byte buffer counts as missing.
    SetCookieFolder(m_folder + "\\" + CString('x', 200));
    EXPECT_EQ(GetCookieFolder(), "none");
}

TEST_F(CookieWin, AFolderValueThatIsNoWholePathFindsNothingInTheCurrentFolder)
{
    // A cookie sits where a relative value would lead from the current folder.
    char previous[MAX_PATH] = {};
    ASSERT_TRUE(::GetCurrentDirectoryA(MAX_PATH, previous));
    ASSERT_TRUE(::SetCurrentDirectoryA(m_folder));
    Cookie("user@vestainet[1].txt", "f0&user", 1);
    for (const char* value : {"Low\\..", "."}) {
        SetCookieFolder(value);
        EXPECT_EQ(FindPartnerCookieFile(OSKIND_WIN2000_PRO), "") << value;
    }
    // The sentinel: the same cookie is found through its whole path.
    SetCookieFolder(m_folder);
    EXPECT_NE(FindPartnerCookieFile(OSKIND_WIN2000_PRO), "");
    ::SetCurrentDirectoryA(previous);
}

TEST_F(CookieWin, LargeCookieFileIsCutNotOverrun)
{
    std::string big = "tlinfo\nf0&bigfile\n";
    big.resize(70000, 'z');
    const CString path = Cookie("user@vestainet[1].txt", "", 1);
    WriteText(path, big);

    Reader dlg(OSKIND_WIN2000_PRO);
    EXPECT_TRUE(dlg.ReadPartnerCookie());
    EXPECT_EQ(dlg.m_strCookieUserId, "bigfile");
    EXPECT_EQ(dlg.ReadTextFile(path), CString(big.substr(0, 1023)));

    std::vector<char> buffer(1100, '#');
    EXPECT_EQ(dlg.ReadFileBytes(buffer.data(), path, 1024), 1023);
    EXPECT_EQ(buffer[1023], '\0');
    EXPECT_EQ(buffer[1024], '#');
    EXPECT_EQ(dlg.ReadFileBytes(buffer.data(), m_folder + "\\missing.txt"), -1);
    EXPECT_EQ(dlg.ReadTextFile(m_folder + "\\missing.txt"), "none");
}

// A Windows user name in Korean gives cookie files, and a folder, with Korean
// names in code page 949.
TEST_F(CookieWin, KoreanFolderAndFileNames)
{
    const CString folder = m_folder + "\\쿠키 폴더";
    if (!MakeFolder(folder))
        GTEST_SKIP() << "this system cannot store Korean file names (is the ko_KR.UTF-8 locale generated?)";
    m_folder = folder;
    SetCookieFolder(folder);
    Cookie("홍길동@vestainet[1].txt", "p0&사용자01&f2&홍길동&010", 10);
    Cookie("홍길동@vestainet[2].txt", "q0&사용자02&f2&홍길동&010", 5);

    EXPECT_EQ(FindPartnerCookieFile(OSKIND_WIN2000_PRO), folder + "\\홍길동@vestainet[1].txt");
    EXPECT_EQ(UserIdRead(OSKIND_WIN2000_PRO), "사용자01");
}
