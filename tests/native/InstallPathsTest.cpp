// The path table computed from the Windows folder.
#include "install/InstallPaths.h"

#include <gtest/gtest.h>

TEST(InstallPaths, FromTheUsualWindowsFolder)
{
    const CInstallPaths p(CString("C:\\WINDOWS"));
    EXPECT_EQ(p.m_strWindowsDir, "C:\\WINDOWS");
    EXPECT_EQ(p.m_strDownloadDir, "C:\\WINDOWS\\Downloaded Program Files\\wintl");
    EXPECT_EQ(p.m_strUserInfoFile, "C:\\WINDOWS\\Downloaded Program Files\\wintl\\tluinfo.dat");
    EXPECT_EQ(p.m_strPartnerInfoFile, "C:\\WINDOWS\\Downloaded Program Files\\wintl\\tlvestaInfo.dat");
    EXPECT_EQ(p.m_strBasicInfoFile, "C:\\WINDOWS\\Downloaded Program Files\\wintl\\cvbinfo.dat");
    EXPECT_EQ(p.m_strPartnerLibrary, "C:\\WINDOWS\\Downloaded Program Files\\wintl\\VestaINet.dll");
    EXPECT_EQ(p.m_strInstalledManager, "C:\\Program Files\\Corvane\\Tallow\\TManager.exe");  // row 12
    EXPECT_EQ(p.m_strDriverFilter, "C:\\WINDOWS\\system32\\drivers\\cxmfile.sys");         // row 15
    EXPECT_EQ(p.m_str9xUserInfoFile, "C:\\WINDOWS\\tluinfo.dat");
    EXPECT_TRUE(p.m_strUnused.IsEmpty());                                                 // row 36
    EXPECT_TRUE(p.m_fileList.IsEmpty());
    EXPECT_TRUE(p.m_items.IsEmpty());
    EXPECT_TRUE(p.m_ownedItems.IsEmpty());
}

TEST(InstallPaths, ProgramFoldersFollowTheWindowsDrive)
{
    const CInstallPaths p(CString("D:\\WINNT"));
    EXPECT_EQ(p.m_strDownloadDir, "D:\\WINNT\\Downloaded Program Files\\wintl"); // row 60
    EXPECT_EQ(p.m_strInstalledManager, "D:\\Program Files\\Corvane\\Tallow\\TManager.exe");
    EXPECT_EQ(p.m_strInstallDir, "D:\\Program Files\\Corvane\\Tallow");          // row 64
    EXPECT_EQ(p.m_strMakerDir, "D:\\Program Files\\Corvane");
    EXPECT_EQ(p.m_strDriverFilter, "D:\\WINNT\\system32\\drivers\\cxmfile.sys");
    EXPECT_EQ(p.m_strWindowsDir, "D:\\WINNT");
    EXPECT_EQ(p.m_strUserInfoFile, "D:\\WINNT\\Downloaded Program Files\\wintl\\tluinfo.dat");
    EXPECT_EQ(p.m_strPartnerInfoFile, "D:\\WINNT\\Downloaded Program Files\\wintl\\tlvestaInfo.dat");
    EXPECT_EQ(p.m_strBasicInfoFile, "D:\\WINNT\\Downloaded Program Files\\wintl\\cvbinfo.dat");
    EXPECT_EQ(p.m_strPartnerLibrary, "D:\\WINNT\\Downloaded Program Files\\wintl\\VestaINet.dll");
    EXPECT_EQ(p.m_str9xBasicInfoFile, "D:\\WINNT\\cvbinfo.dat");
}

TEST(InstallPaths, OwnedItemsAreDeletedWithTheTable)
{
    static int deleted = 0;
    struct Counted : CInstallPaths::Item {
        ~Counted() override { ++deleted; }
    };
    {
        CInstallPaths p(CString("C:\\WINDOWS"));
        p.m_ownedItems.AddTail(new Counted);
        p.m_ownedItems.AddTail(new Counted);
    }
    EXPECT_EQ(deleted, 2);
}

TEST(InstallPaths, AShortOrEmptyWindowsFolderStillGivesATable)
{
    const CInstallPaths empty{CString()};
    EXPECT_EQ(empty.m_strInstallDir, "\\Program Files\\Corvane\\Tallow");
    EXPECT_EQ(empty.m_strDownloadDir, "\\Downloaded Program Files\\wintl");
    const CInstallPaths one{CString("C")};
    EXPECT_EQ(one.m_strMakerDir, "C\\Program Files\\Corvane");
}
