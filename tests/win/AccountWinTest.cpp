// Sign-in and sign-up against the vendor stand-in over the real WinINet: the
// members the install information fills, the join request as it arrives and
// the user information file it leaves.
#include "account/InfoFiles.h"
#include "framework/File.h"
#include "install/InstallDlg.h"
#include "install/InstallPaths.h"
#include "support/Registry.h"
#include "support/Screen.h"
#include "support/Standin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

std::vector<unsigned char> FileBytes(const CString& path)
{
    std::vector<unsigned char> bytes;
    CFile file;
    if (file.Open(path, CFile::modeRead)) {
        bytes.resize(static_cast<size_t>(file.GetLength()));
        if (!bytes.empty())
            bytes.resize(file.Read(bytes.data(), static_cast<UINT>(bytes.size())));
    }
    return bytes;
}

// The text between `from` and the next "&" of the last request's path.
std::string RequestParameter(const std::string& from)
{
    const std::string path = StandinLastRequest("path");
    const size_t at = path.find(from);
    if (at == std::string::npos)
        return "";
    const size_t start = at + from.size();
    return path.substr(start, path.find('&', start) - start);
}

class AccountWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        StandinSwitches("");
        dlg.OsKind = OSKIND_XP_PRO;
        dlg.m_strUserId = "kim01";
        m_userFile = InfoFilePath(dlg.OsKind, "tluinfo.dat");
        // A fresh Wine prefix lacks the folder every Windows with a browser has.
        const CInstallPaths paths;
        ::CreateDirectoryA(paths.m_strWindowsDir + "\\Downloaded Program Files", nullptr);
        ::CreateDirectoryA(paths.m_strDownloadDir, nullptr);
        ::DeleteFileA(m_userFile);
    }
    void TearDown() override { ::DeleteFileA(m_userFile); }

    CInstallDlg dlg;
    CString m_userFile;
    MsgBoxWatcher watcher;
};

} // namespace

TEST_F(AccountWin, SignInStoresTheServiceFieldsForTheWindowsFamily)
{
    ASSERT_TRUE(dlg.SignIn());
    EXPECT_EQ(dlg.m_strAccountId, "kim01");
    EXPECT_EQ(dlg.m_strReply3, "T0K3N-4E21");
    EXPECT_EQ(dlg.m_strServiceLabel, "tlfree");
    EXPECT_EQ(dlg.m_strProductDir, "tlfree");
    EXPECT_EQ(dlg.m_strVersionDir, "2.0.2000");
    EXPECT_EQ(dlg.m_strPlDataDir, "20080301");
    EXPECT_EQ(StandinLastRequest("path"), "/tl_free/install_info.php");

    dlg.OsKind = OSKIND_VISTA;
    ASSERT_TRUE(dlg.SignIn());
    EXPECT_EQ(dlg.m_strVersionDir, "2.0.vista");
}

TEST_F(AccountWin, SignInFailsQuietlyWithoutAUsableReply)
{
    StandinSwitches("info_reply=OK|2|R3|4|P|6|98|2000|V|D|S|PL");
    EXPECT_FALSE(dlg.SignIn());
    EXPECT_EQ(dlg.m_strReply3, "R3"); // stored before the missing separator
    EXPECT_EQ(dlg.m_strPlDataDir, "");
    StandinSwitches("info_reply=");
    EXPECT_FALSE(dlg.SignIn());
    {
        NoWebService gone;
        EXPECT_FALSE(dlg.SignIn());
    }
    // The caller tells the visitor; sign-in itself shows nothing.
    EXPECT_TRUE(watcher.Boxes().empty());
}

TEST_F(AccountWin, TheInstallationTellsOfAFailedSignIn)
{
    ASSERT_TRUE(dlg.Create(IDD_INSTALL_DIALOG));
    dlg.m_strCookieUserId = "kim01";
    StandinSwitches("info_reply=OK|2|3|4|5|6|7|8|9|10|11|12");
    dlg.RunInstallation();
    ASSERT_TRUE(watcher.WaitForBoxes(1, 3000));
    const auto boxes = watcher.Boxes();
    EXPECT_EQ(boxes[0].caption, u8"탈로 FREE");
    EXPECT_EQ(boxes[0].text, u8"인증에 실패 하였습니다.\n\n다시 시도해 주세요.");
    EXPECT_EQ(boxes[0].icon, MsgBoxWatcher::ICON_STOP);
    EXPECT_EQ(boxes[0].owner, dlg.m_hWnd);
    EXPECT_EQ(dlg.m_bSignedIn, 0);
    dlg.DestroyWindow();
}

TEST_F(AccountWin, SignUpSendsTheCookieDataEscapedAndWritesTheUserFile)
{
    ASSERT_TRUE(dlg.SignIn());
    dlg.m_strCookieUserId = "kim01";
    dlg.m_strCookieUserName = "홍 길&동";
    dlg.m_strCookiePhone = "010-1234=5678";
    StandinSwitches("join_number=7");
    ASSERT_TRUE(dlg.SignUp());

    const std::string machineId = RequestParameter("&MacAddr=");
    ASSERT_EQ(machineId.size(), 12u);
    EXPECT_EQ(machineId.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(StandinLastRequest("path"),
              "/tlfree/join.php?UserId=kim01&MacAddr=" + machineId +
                  "&UserName=%C8%AB%20%B1%E6%26%B5%BF&Phone=010-1234%3D5678&Cooper=gvx");
    EXPECT_EQ(FileBytes(m_userFile),
              EncryptInfoRecord(BuildUserInfoRecord("kim01", "T0K3N-4E21", 7, machineId.c_str())));
    EXPECT_TRUE(watcher.Boxes().empty());
}

TEST_F(AccountWin, SignUpTakesAnyAnswerButNeedsOne)
{
    ASSERT_TRUE(dlg.SignIn());
    StandinSwitches("join_reply=OK|none|");
    ASSERT_TRUE(dlg.SignUp());
    const std::string machineId = RequestParameter("&MacAddr=");
    EXPECT_EQ(FileBytes(m_userFile),
              EncryptInfoRecord(BuildUserInfoRecord("kim01", "T0K3N-4E21", 0, machineId.c_str())));

    ::DeleteFileA(m_userFile);
    {
        NoWebService gone;
        EXPECT_FALSE(dlg.SignUp());
    }
    EXPECT_EQ(::GetFileAttributesA(m_userFile), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(watcher.Boxes().empty());
}
