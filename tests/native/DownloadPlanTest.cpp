// The download plan by OsKind, where each file lands, and the progress bar's arithmetic.
#include "DownloadPlan.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const PlanSegments kSegments{"P", "", "D", "S", "L"};

std::vector<CString> Plan(DWORD osKind, const CString& versionDir, const PlanSegments& base = kSegments)
{
    PlanSegments s = base;
    s.versionDir = versionDir;
    CStringList list;
    AppendPlanUrls(list, "down.example.com", osKind, s);
    std::vector<CString> urls;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        urls.push_back(list.GetNext(pos));
    return urls;
}

const DownloadFolders kFolders{"C:\\TEMP\\", "C:\\WINDOWS\\system32", "C:\\WINDOWS",
                               "C:\\WINDOWS\\Downloaded Program Files\\wintl"};

CString Local(const CString& url, DWORD osKind, DownloadKind expectedKind)
{
    DownloadKind kind = DownloadKind::DataFile;
    const CString path = LocalDownloadPath(url, osKind, kFolders, kind);
    EXPECT_EQ(kind, expectedKind) << url.str();
    return path;
}

} // namespace

TEST(DownloadPlan, SetupProgramByOsKindThenTheFiveDataLists)
{
    // Version segments A (98), B (2000) and V (Vista): sign-in has already picked the one that fits.
    EXPECT_EQ(Plan(44, "A")[0], "down.example.com/P/win98/A/TallowSetup98.exe");
    EXPECT_EQ(Plan(61, "B")[0], "down.example.com/P/win2000/B/TLFreeSetup.exe");
    EXPECT_EQ(Plan(100, "V")[0], "down.example.com/P/winvista/V/TLFreeSetupVista.exe");
    EXPECT_EQ(Plan(41, "B")[0], "down.example.com/P/win2000/B/TLFreeSetup.exe");
    EXPECT_EQ(Plan(45, "A")[0], "down.example.com/P/win98/A/TallowSetup98.exe");
    EXPECT_EQ(Plan(46, "B")[0], "down.example.com/P/win2000/B/TLFreeSetup.exe");

    const std::vector<CString> urls = Plan(61, "B");
    const std::vector<CString> expected{
        "down.example.com/P/win2000/B/TLFreeSetup.exe",  "down.example.com/data/D/cvxpdf.lst",
        "down.example.com/data/D/dbverify.dat",          "down.example.com/tlfree_sdata/S/cvspdf.lst",
        "down.example.com/tlfree_sdata/S/sdbverify.dat", "down.example.com/pldata/L/tflowprd.lst",
    };
    EXPECT_EQ(urls, expected);
    EXPECT_EQ(OdbcLibraryUrl("down.example.com"), "down.example.com/mdb/ODBCJT32.DLL");
}

TEST(DownloadPlan, LongAndEmptySegmentsAreKeptWhole)
{
    const CString longSegment(std::string(300, 'x'));
    const std::vector<CString> urls = Plan(61, longSegment, {"P", "", longSegment, "", ""});
    EXPECT_EQ(urls[0], "down.example.com/P/win2000/" + longSegment + "/TLFreeSetup.exe");
    EXPECT_EQ(urls[1], "down.example.com/data/" + longSegment + "/cvxpdf.lst");
    EXPECT_EQ(urls[3], "down.example.com/tlfree_sdata//cvspdf.lst");
}

TEST(DownloadPlan, LocalPathsFollowTheNameRulesInOrder)
{
    for (DWORD os : {44u, 61u, 100u}) {
        EXPECT_EQ(Local("h/P/win98/A/TallowSetup98.exe", os, DownloadKind::Setup), "C:\\TEMP\\Tempcr.exe");
        EXPECT_EQ(Local("h/P/winvista/V/TLFreeSetupVista.exe", os, DownloadKind::Setup), "C:\\TEMP\\Tempcr.exe");
        EXPECT_EQ(Local("h/mdb/ODBCJT32.DLL", os, DownloadKind::OdbcLibrary), "C:\\WINDOWS\\system32\\odbcjt32.dll");
    }
    EXPECT_EQ(Local("h/data/D/dbverify.dat", 44, DownloadKind::DataFile), "C:\\WINDOWS\\dbverify.dat");
    EXPECT_EQ(Local("h/data/D/dbverify.dat", 41, DownloadKind::DataFile), "C:\\WINDOWS\\dbverify.dat");
    EXPECT_EQ(Local("h/data/D/dbverify.dat", 49, DownloadKind::DataFile), "C:\\WINDOWS\\dbverify.dat");
    EXPECT_EQ(Local("h/data/D/dbverify.dat", 61, DownloadKind::DataFile),
              "C:\\WINDOWS\\Downloaded Program Files\\wintl\\dbverify.dat");
    EXPECT_EQ(Local("h/pldata/L/tflowprd.lst", 50, DownloadKind::DataFile),
              "C:\\WINDOWS\\Downloaded Program Files\\wintl\\tflowprd.lst");
    // The test runs over the whole URL, folders included, setup names first.
    EXPECT_EQ(Local("h/TLFreeSetup.exe/ODBCJT32.DLL", 61, DownloadKind::Setup), "C:\\TEMP\\Tempcr.exe");
    EXPECT_EQ(Local("h/ODBCJT32.DLL/x.lst", 61, DownloadKind::OdbcLibrary), "C:\\WINDOWS\\system32\\odbcjt32.dll");
}

TEST(DownloadProgress, SharesOfTheFourHundredUnitBar)
{
    const int share = 400 / 7;
    EXPECT_EQ(share, 57);
    EXPECT_EQ(ProgressPosition(0, share, 5, 10), 28);
    EXPECT_EQ(ProgressPosition(6 * share, share, 10, 10), 399);
    EXPECT_EQ(ProgressPosition(100, share, 0, 0), 100 + share);
    EXPECT_EQ(PercentText(150), "37%");
    EXPECT_EQ(PercentText(399), "99%");
    EXPECT_EQ(PercentText(400), "100%");
    EXPECT_EQ(PercentText(0), "0%");
}

TEST(DownloadProgress, LargeBodiesStayOnTheBar)
{
    // 32-bit arithmetic wrapped past ~37 MB for a share of 57; these stay in range.
    const uint64_t mb = 1024 * 1024;
    EXPECT_EQ(ProgressPosition(0, 57, 38 * mb, 76 * mb), 28);
    EXPECT_EQ(ProgressPosition(57, 57, 1023 * mb, 1024 * mb), 57 + 56);
    EXPECT_EQ(ProgressPosition(0, 400, (uint64_t(1) << 30) - 1, uint64_t(1) << 30), 399);
    int last = 0;
    for (uint64_t got = 0; got <= 700 * mb; got += 7 * mb) {
        const int pos = ProgressPosition(0, 400, got, 700 * mb);
        EXPECT_GE(pos, last);
        EXPECT_LE(pos, 400);
        last = pos;
    }
    EXPECT_EQ(last, 400);
}
