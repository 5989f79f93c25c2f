// Which download dialog the watcher takes for the product's download.
#include "app/DownloadDialogRule.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kHost[] = "partner.example.net";

TEST(DownloadWatcherRule, SecurityWarningOnlyForTheExactFileName)
{
    EXPECT_EQ(RecogniseDownloadDialog("TallowFree.exe", nullptr, kHost), DownloadDialog::SecurityWarning);
    for (const char* other : {"tallowfree.exe", "TALLOWFREE.EXE", "TallowFree.exe ", " TallowFree.exe",
                              "TallowFree.ex", "TallowFree.exe.zip", "TallowFree(1).exe", ""})
        EXPECT_EQ(RecogniseDownloadDialog(other, nullptr, kHost), DownloadDialog::None) << other;
}

TEST(DownloadWatcherRule, PlainDialogOnlyForThePartnerHostItself)
{
    EXPECT_EQ(RecogniseDownloadDialog(nullptr, kHost, kHost), DownloadDialog::Plain);
    // Texts that sort before and after the host are other sites' downloads.
    for (const char* other : {"a.example.net", "partner.example.ne", "", "partner.example.net.evil.example",
                              "zeta.example.org", "partner.example.neu", "PARTNER.EXAMPLE.NET"})
        EXPECT_EQ(RecogniseDownloadDialog(nullptr, other, kHost), DownloadDialog::None) << other;
}

TEST(DownloadWatcherRule, WarningJudgedFirstAndMissingDialogsNeverMatch)
{
    EXPECT_EQ(RecogniseDownloadDialog("TallowFree.exe", kHost, kHost), DownloadDialog::SecurityWarning);
    EXPECT_EQ(RecogniseDownloadDialog("other.exe", kHost, kHost), DownloadDialog::Plain)
        << "a warning for another file does not hide the plain dialog";
    EXPECT_EQ(RecogniseDownloadDialog(nullptr, nullptr, kHost), DownloadDialog::None);
    EXPECT_EQ(RecogniseDownloadDialog(nullptr, kHost, nullptr), DownloadDialog::None);
}

TEST(DownloadWatcherRule, ANavigationNamesTheSetupFileByItsLastSegmentInAnyCase)
{
    for (const char* ours : {"http://h/tlfree/TallowFree.exe", "http://h/TALLOWFREE.EXE?from=page",
                             "http://h/a/tallowfree.exe#top", "TallowFree.exe"})
        EXPECT_TRUE(NamesSetupFile(ours)) << ours;
    for (const char* other : {"http://h/tlfree/TLuserInfo.php?f=TallowFree.exe", "http://h/TallowFree.exe/",
                              "http://h/TallowFree.exe.zip", "http://h/xTallowFree.exe", "http://h/", ""})
        EXPECT_FALSE(NamesSetupFile(other)) << other;
    EXPECT_FALSE(NamesSetupFile(nullptr));
}

TEST(DownloadWatcherRule, TitlesAreTheBrowsersKoreanDialogTitlesInCodePage949)
{
    // "파일 다운로드" in code page 949.
    const std::string plain = "\xC6\xC4\xC0\xCF \xB4\xD9\xBF\xEE\xB7\xCE\xB5\xE5";
    EXPECT_EQ(std::string(DOWNLOAD_PLAIN_TITLE), plain);
    // "보안 경고"
    EXPECT_EQ(std::string(DOWNLOAD_WARNING_TITLE), plain + " - \xBA\xB8\xBE\xC8 \xB0\xE6\xB0\xED");
}

} // namespace
