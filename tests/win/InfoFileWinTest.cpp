// The three information files as real files: where each Windows family gets
// them, their sizes, and what a read-only copy from an earlier installation
// does to each.
#include "account/InfoFiles.h"
#include "framework/File.h"
#include "install/InstallDlg.h"
#include "install/InstallPaths.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes ReadAll(const CString& path)
{
    Bytes out;
    HANDLE h = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    unsigned char buf[4096];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof(buf), &got, nullptr) && got)
        out.insert(out.end(), buf, buf + got);
    ::CloseHandle(h);
    return out;
}

void WriteAll(const CString& path, const std::string& content)
{
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite)) << path;
    file.Write(content.data(), static_cast<UINT>(content.size()));
}

void Remove(const CString& path)
{
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path);
}

bool ReadOnly(const CString& path)
{
    const DWORD attrs = ::GetFileAttributesA(path);
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
}

// An install dialog object (its window is never created) with cookie and
// sign-in values set as the steps before the writers leave them.
struct Writer : CInstallDlg {
    explicit Writer(DWORD osKind)
    {
        OsKind = osKind;
        m_strCookieField0 = "partner";
        m_strCookieUserId = "홍길동01";
        m_strCookieField2 = "ABCDEFGHIJKL";
        m_strServiceLabel = "free";
        m_strVersionDir = "v2000";
    }
};

// The product download folder, created for the test when missing and removed
// again afterwards if the test made it.
class DownloadFolder {
public:
    DownloadFolder()
    {
        CInstallPaths paths;
        m_path = paths.m_strDownloadDir;
        ::CreateDirectoryA(paths.m_strWindowsDir + "\\Downloaded Program Files", nullptr);
        m_created = ::CreateDirectoryA(m_path, nullptr) != FALSE;
    }
    ~DownloadFolder()
    {
        if (m_created)
            ::RemoveDirectoryA(m_path);
    }
    const CString& Path() const { return m_path; }

private:
    CString m_path;
    bool m_created = false;
};

const char* const kFiles[] = {"tlvestaInfo.dat", "tluinfo.dat", "cvbinfo.dat"};

} // namespace

TEST(InfoFileWin, WindowsFolderOn9xFamilyDownloadFolderOtherwise)
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, sizeof(windows));
    const CString nine = CString(windows) + "\\tluinfo.dat";
    const CString nt = CString(windows) + "\\Downloaded Program Files\\wintl\\tluinfo.dat";
    for (DWORD kind : {OSKIND_WIN95, OSKIND_WIN98, OSKIND_WINME, OSKIND_9X_LAST})
        EXPECT_EQ(InfoFilePath(kind, "tluinfo.dat"), nine) << kind;
    for (DWORD kind : std::initializer_list<DWORD>{OSKIND_UNKNOWN, OSKIND_WIN95 - 1, OSKIND_WIN2000,
                                                   OSKIND_WIN2000_PRO, OSKIND_XP_HOME, OSKIND_VISTA})
        EXPECT_EQ(InfoFilePath(kind, "tluinfo.dat"), nt) << kind;
    EXPECT_EQ(InfoFilePath(51, "cvbinfo.dat"), CInstallPaths().m_strBasicInfoFile);
    EXPECT_EQ(InfoFilePath(51, "tlvestaInfo.dat"), CInstallPaths().m_strPartnerInfoFile);
    EXPECT_EQ(InfoFilePath(51, "tluinfo.dat"), CInstallPaths().m_strUserInfoFile);
}

TEST(InfoFileWin, AllThreeFilesOfOneInstallationInEachFamilysFolder)
{
    DownloadFolder folder;
    for (DWORD kind : {OSKIND_WINME, OSKIND_WIN2000_PRO}) {
        Writer dlg(kind);
        const InfoRecord user = BuildUserInfoRecord("account", "reply3", 7, "00-1A-2B-3C-4D-5E");
        ASSERT_TRUE(dlg.WritePartnerInfo()) << kind;
        ASSERT_TRUE(WriteInfoFile(InfoFilePath(kind, "tluinfo.dat"), user, TRUE)) << kind;
        ASSERT_TRUE(dlg.WriteBasicInfo()) << kind;

        const Bytes partner = ReadAll(InfoFilePath(kind, "tlvestaInfo.dat"));
        EXPECT_EQ(partner.size(), 1044u);
        EXPECT_EQ(partner, EncryptInfoRecord(BuildPartnerInfoRecord("partner", "홍길동01", "ABCDEFGHIJ")));
        EXPECT_EQ(ReadAll(InfoFilePath(kind, "tluinfo.dat")), EncryptInfoRecord(user));
        const Bytes basic = ReadAll(InfoFilePath(kind, "cvbinfo.dat"));
        ASSERT_EQ(basic.size(), 380u);
        EXPECT_EQ(Bytes(basic.begin(), basic.begin() + 4), Bytes({0x78, 0x01, 0x00, 0x00}));
        for (const char* name : kFiles)
            Remove(InfoFilePath(kind, name));
    }
}

TEST(InfoFileWin, ReadOnlyPartnerAndUserFilesAreReplacedReadOnlyBasicFileStops)
{
    DownloadFolder folder;
    for (const char* name : kFiles) {
        WriteAll(folder.Path() + "\\" + name, "left by an earlier installation");
        ::SetFileAttributesA(folder.Path() + "\\" + name, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        ASSERT_TRUE(ReadOnly(folder.Path() + "\\" + name));
    }
    Writer dlg(OSKIND_WIN2000_PRO);
    EXPECT_TRUE(dlg.WritePartnerInfo());
    EXPECT_TRUE(WriteInfoFile(InfoFilePath(51, "tluinfo.dat"), BuildUserInfoRecord("a", "b", 1, "c"), TRUE));
    EXPECT_FALSE(dlg.WriteBasicInfo());

    for (const char* name : {"tlvestaInfo.dat", "tluinfo.dat"}) {
        EXPECT_EQ(ReadAll(folder.Path() + "\\" + name).size(), 1044u) << name;
        EXPECT_FALSE(ReadOnly(folder.Path() + "\\" + name)) << name;
    }
    const Bytes basic = ReadAll(folder.Path() + "\\cvbinfo.dat");
    EXPECT_EQ(std::string(basic.begin(), basic.end()), "left by an earlier installation");
    EXPECT_TRUE(ReadOnly(folder.Path() + "\\cvbinfo.dat"));
    for (const char* name : kFiles)
        Remove(folder.Path() + "\\" + name);
}

TEST(InfoFileWin, MissingFolderFails)
{
    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof(temp), temp);
    const CString path = CString(temp) + "no such folder\\tluinfo.dat";
    EXPECT_FALSE(WriteInfoFile(path, BuildUserInfoRecord("a", "b", 1, "c"), TRUE));
    EXPECT_EQ(::GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
}
