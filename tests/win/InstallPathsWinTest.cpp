// The path table of the running system: Wine keeps Windows in C:\windows.
#include "install/InstallPaths.h"

#include <gtest/gtest.h>

TEST(InstallPathsOnWine, DefaultTableUsesTheRealWindowsFolder)
{
    const CInstallPaths p;
    EXPECT_EQ(p.m_strWindowsDir.CompareNoCase("C:\\windows"), 0) << static_cast<const char*>(p.m_strWindowsDir);
    EXPECT_EQ(p.m_strDownloadDir, p.m_strWindowsDir + "\\Downloaded Program Files\\wintl");
    EXPECT_EQ(p.m_strUserInfoFile, p.m_strDownloadDir + "\\tluinfo.dat");
    EXPECT_EQ(p.m_strInstallDir, "C:\\Program Files\\Corvane\\Tallow");
}
