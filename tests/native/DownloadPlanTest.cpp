// The download plan by OsKind, where each file lands, and the progress bar's arithmetic.
#include "install/DownloadPlan.h"

#include <gtest/gtest.h>

#include <string>
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

// The local file of each entry of a plan, by its place.
std::vector<CString> LocalPaths(DWORD osKind, size_t entries)
{
    std::vector<CString> paths;
    for (size_t i = 0; i < entries; ++i)
        paths.push_back(PlanLocalPath(static_cast<int>(i), osKind, kFolders));
    return paths;
}

std::string PeHead(uint32_t at, const char* signature = "PE\0\0")
{
    std::string head(at + 4, '\0');
    head[0] = 'M';
    head[1] = 'Z';
    for (int i = 0; i < 4; ++i)
        head[0x3C + i] = static_cast<char>(at >> (8 * i));
    head.replace(at, 4, signature, 4);
    return head;
}

bool IsPe(const std::string& head)
{
    return LooksLikePeImage(reinterpret_cast<const unsigned char*>(head.data()), head.size());
}

} // namespace

TEST(DownloadPlan, SetupProgramByOsKindThenTheFiveDataLists)
{
    // Version segments A (98), B (2000) and V (Vista): sign-in has already picked the one that fits.
    EXPECT_EQ(Plan(OSKIND_WIN98_SE, "A")[0], "down.example.com/P/win98/A/TallowSetup98.exe");
    EXPECT_EQ(Plan(OSKIND_XP_PRO, "B")[0], "down.example.com/P/win2000/B/TLFreeSetup.exe");
    EXPECT_EQ(Plan(OSKIND_VISTA, "V")[0], "down.example.com/P/winvista/V/TLFreeSetupVista.exe");
    EXPECT_EQ(Plan(OSKIND_WIN95, "B")[0], "down.example.com/P/win2000/B/TLFreeSetup.exe");
    EXPECT_EQ(Plan(OSKIND_WINME, "A")[0], "down.example.com/P/win98/A/TallowSetup98.exe");
    EXPECT_EQ(Plan(OSKIND_WINME + 1, "B")[0], "down.example.com/P/win2000/B/TLFreeSetup.exe");

    const std::vector<CString> urls = Plan(OSKIND_XP_PRO, "B");
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
    const std::vector<CString> urls = Plan(OSKIND_XP_PRO, longSegment, {"P", "", longSegment, "", ""});
    EXPECT_EQ(urls[0], "down.example.com/P/win2000/" + longSegment + "/TLFreeSetup.exe");
    EXPECT_EQ(urls[1], "down.example.com/data/" + longSegment + "/cvxpdf.lst");
    EXPECT_EQ(urls[3], "down.example.com/tlfree_sdata//cvspdf.lst");
}

TEST(DownloadPlan, EachPlaceHasItsKindAndItsLocalFile)
{
    const std::vector<DownloadKind> kinds{DownloadKind::Setup,    DownloadKind::DataFile, DownloadKind::DataFile,
                                          DownloadKind::DataFile, DownloadKind::DataFile, DownloadKind::DataFile,
                                          DownloadKind::OdbcLibrary};
    for (size_t i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(PlanEntryKind(static_cast<int>(i)), kinds[i]) << i;
    EXPECT_EQ(PlanEntryKind(7), DownloadKind::Unknown);
    EXPECT_EQ(PlanEntryKind(-1), DownloadKind::Unknown);

    const CString nt = "C:\\WINDOWS\\Downloaded Program Files\\wintl\\";
    const std::vector<CString> expectedNt{"C:\\TEMP\\Tempcr.exe", nt + "cvxpdf.lst", nt + "dbverify.dat",
                                          nt + "cvspdf.lst", nt + "sdbverify.dat", nt + "tflowprd.lst",
                                          "C:\\WINDOWS\\system32\\odbcjt32.dll", ""};
    for (DWORD os : {OSKIND_WIN2000, OSKIND_XP_PRO, OSKIND_VISTA})
        EXPECT_EQ(LocalPaths(os, 8), expectedNt) << os;
    const std::vector<CString> expected9x{"C:\\TEMP\\Tempcr.exe",       "C:\\WINDOWS\\cvxpdf.lst",
                                          "C:\\WINDOWS\\dbverify.dat",  "C:\\WINDOWS\\cvspdf.lst",
                                          "C:\\WINDOWS\\sdbverify.dat", "C:\\WINDOWS\\tflowprd.lst",
                                          "C:\\WINDOWS\\system32\\odbcjt32.dll"};
    for (DWORD os : {OSKIND_WIN95, OSKIND_WIN98_SE, OSKIND_9X_LAST})
        EXPECT_EQ(LocalPaths(os, 7), expected9x) << os;
}

// The attack: a data segment that names the driver or a setup program. The
// sign-in refuses it, and even a plan made of it keeps each entry in its place.
TEST(DownloadPlan, TheSegmentThatWouldPlaceAListAsTheDriverOrAsTheSetupProgram)
{
    for (const char* evil : {"x/ODBCJT32.DLL", "TLFreeSetup.exe/x", "..", ".", "a\\..\\b", "", "x%2F..",
                             "a b", "\xb1\xdb", "x?y", "x#y"}) {
        EXPECT_FALSE(IsSafePathSegment(evil)) << evil;
        const PlanSegments segments{"tlfree", "2.0.2000", evil, "20080301", "20080301"};
        EXPECT_FALSE(AreSafeSegments(segments)) << evil;
        const std::vector<CString> urls = Plan(OSKIND_XP_PRO, "2.0.2000", segments);
        ASSERT_EQ(urls.size(), 6u);
        EXPECT_EQ(PlanEntryKind(1), DownloadKind::DataFile);
        EXPECT_EQ(LocalPaths(OSKIND_XP_PRO, 2)[1], "C:\\WINDOWS\\Downloaded Program Files\\wintl\\cvxpdf.lst") << urls[1].str();
    }
    for (const char* good : {"tlfree", "2.0.2000", "20080301", "a-b_c.d", "..a", "...", "A9"})
        EXPECT_TRUE(IsSafePathSegment(good)) << good;
    EXPECT_TRUE(IsSafePathSegment(CString(std::string(64, 'x'))));
    EXPECT_FALSE(IsSafePathSegment(CString(std::string(65, 'x'))));
    EXPECT_TRUE(AreSafeSegments({"tlfree", "2.0.2000", "20080301", "20080301", "20080301"}));
    EXPECT_FALSE(AreSafeSegments({"tlfree", "", "20080301", "20080301", "20080301"}));
}

TEST(DownloadPlan, ProgramsLibrariesAndDriversArePeImagesListsAnything)
{
    EXPECT_TRUE(IsPe(PeHead(0x80)));
    EXPECT_TRUE(IsPe(PeHead(0x40)));
    EXPECT_TRUE(IsPe(PeHead(PE_HEAD_SIZE - 4)));
    EXPECT_FALSE(IsPe(""));
    EXPECT_FALSE(IsPe("MZ"));
    EXPECT_FALSE(IsPe(std::string(4096, 'x')));
    EXPECT_FALSE(IsPe(PeHead(0x80, "PX\0\0")));
    EXPECT_FALSE(IsPe(PeHead(0x3C)));                     // inside the MS-DOS header
    EXPECT_FALSE(IsPe(PeHead(0x80).substr(0, 0x82)));     // header cut short
    std::string far = PeHead(0x80);
    far[0x3D] = '\x7f';                                    // beyond what was received
    EXPECT_FALSE(IsPe(far));
    far[0x3F] = '\xff';                                    // and beyond any offset
    EXPECT_FALSE(IsPe(far));

    for (DownloadKind kind : {DownloadKind::Setup, DownloadKind::OdbcLibrary, DownloadKind::PartnerLibrary})
        EXPECT_TRUE(MustBePeImage(kind));
    EXPECT_FALSE(MustBePeImage(DownloadKind::DataFile));
    // Each kind has a limit, none of them near a gigabyte.
    for (DownloadKind kind : {DownloadKind::Setup, DownloadKind::DataFile, DownloadKind::OdbcLibrary,
                              DownloadKind::PartnerLibrary}) {
        EXPECT_GE(MaxDownloadSize(kind), 1024u * 1024u);
        EXPECT_LT(MaxDownloadSize(kind), uint64_t(1) << 30);
    }
    EXPECT_EQ(MaxDownloadSize(DownloadKind::Unknown), 0u);
}

TEST(DownloadPlan, TheTemporaryFolderMustBeAFullFolderPathWithRoomInside)
{
    for (const char* good : {"C:\\TEMP\\", "c:\\", "\\\\server\\share\\tmp\\"})
        EXPECT_TRUE(IsUsableTempFolder(good)) << good;
    for (const char* bad : {"", "\\", "TEMP\\", "C:TEMP\\", "C:\\TEMP", "1:\\TEMP\\", "\\\\x"})
        EXPECT_FALSE(IsUsableTempFolder(bad)) << bad;
    EXPECT_TRUE(IsUsableTempFolder(CString("C:\\" + std::string(224, 'x') + "\\")));
    EXPECT_FALSE(IsUsableTempFolder(CString("C:\\" + std::string(225, 'x') + "\\")));
}

TEST(DownloadProgress, SharesOfTheFourHundredUnitBar)
{
    const int share = PROGRESS_UNITS / 7;
    EXPECT_EQ(share, 57);
    EXPECT_EQ(ProgressPosition(0, share, 5, 10), 28);
    EXPECT_EQ(ProgressPosition(6 * share, share, 10, 10), 399);
    EXPECT_EQ(ProgressPosition(100, share, 0, 0), 100 + share);
    EXPECT_EQ(PercentText(150), "37%");
    EXPECT_EQ(PercentText(399), "99%");
    EXPECT_EQ(PercentText(PROGRESS_UNITS), "100%");
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
