// The portable framework classes: the string operations the parsers rely on,
// list order and file modes.
#include "framework/File.h"
#include "framework/List.h"
#include "framework/ProcessorCheck.h"
#include "framework/String.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

TEST(CString, SubstringsClampOutOfRangeArguments)
{
    const CString s("user|pass|");
    EXPECT_EQ(s.Mid(5), "pass|");
    EXPECT_EQ(s.Mid(5, 4), "pass");
    EXPECT_EQ(s.Mid(8, 100), "s|");
    EXPECT_EQ(s.Mid(100), "");
    EXPECT_EQ(s.Mid(-3, 4), "user");
    EXPECT_EQ(s.Mid(2, -1), "");
    EXPECT_EQ(s.Left(4), "user");
    EXPECT_EQ(s.Left(100), s);
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Right(5), "pass|");
    EXPECT_EQ(s.Right(100), s);
    EXPECT_EQ(s.Right(-2), "");
}

TEST(CString, FindReportsByteOffsetsOrMinusOne)
{
    const CString s("a=1&b=2&");
    EXPECT_EQ(s.Find('&'), 3);
    EXPECT_EQ(s.Find('&', 4), 7);
    EXPECT_EQ(s.Find('&', 8), -1);
    EXPECT_EQ(s.Find('&', -1), -1);
    EXPECT_EQ(s.Find("b="), 4);
    EXPECT_EQ(s.Find("b=", 5), -1);
    EXPECT_EQ(s.Find("", 8), 8);
    EXPECT_EQ(s.Find("x", 100), -1);
    EXPECT_EQ(s.ReverseFind('='), 5);
    EXPECT_EQ(CString().Find('a'), -1);
    EXPECT_EQ(s.FindOneOf("2b"), 4);
}

TEST(CString, FormatGrowsToAnyLength)
{
    CString s;
    s.Format("%d%%", 42);
    EXPECT_EQ(s, "42%");
    const std::string big(10000, 'x');
    s.Format("GET %s HTTP/1.1\r\n", big.c_str());
    EXPECT_EQ(s.GetLength(), 10000 + 15);
    const std::string huge(CString::MAX_FORMATTED, 'x');
    s.Format("%s", huge.c_str());
    EXPECT_TRUE(s.IsEmpty()) << "past the limit nothing is formatted";
}

TEST(CString, ComparisonsConcatenationAndBuffers)
{
    CString s = "abc";
    s += 'd';
    s += CString("ef");
    EXPECT_EQ("x" + s + "y", "xabcdefy");
    EXPECT_TRUE(CString("abc") < CString("abd"));
    EXPECT_EQ(CString("ABC").CompareNoCase("abc"), 0);
    EXPECT_NE(CString("ABC").Compare("abc"), 0);
    EXPECT_TRUE(CString().IsEmpty());

    // Bytes above 0x7F (code page 949 text) are kept as they are.
    CString korean("\xC5\xBB\xB7\xCE");
    korean.MakeUpper();
    EXPECT_EQ(korean, "\xC5\xBB\xB7\xCE");

    char* p = s.GetBuffer(32);
    strcpy(p, "xy");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "xy");
    EXPECT_EQ(s.GetLength(), 2);

    CString t("  pad \r\n");
    t.TrimLeft();
    t.TrimRight();
    EXPECT_EQ(t, "pad");
    CString r("a.b.c");
    EXPECT_EQ(r.Replace(".", ".."), 2);
    EXPECT_EQ(r, "a..b..c");
}

TEST(CStringList, KeepsInsertionOrderAndRemoves)
{
    CStringList list;
    list.AddTail("b");
    list.AddTail("c");
    list.AddHead("a");
    EXPECT_EQ(list.GetCount(), 3);
    std::string walked;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        walked += list.GetNext(pos).str();
    EXPECT_EQ(walked, "abc");

    list.RemoveAt(list.Find("b"));
    EXPECT_EQ(list.GetHead(), "a");
    EXPECT_EQ(list.GetTail(), "c");
    EXPECT_EQ(list.RemoveHead(), "a");
    EXPECT_EQ(list.GetCount(), 1);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_EQ(list.FindIndex(0), nullptr);
}

TEST(CPtrList, HoldsPointersInOrder)
{
    int a = 1, b = 2;
    CPtrList list;
    list.AddTail(&a);
    list.AddTail(&b);
    POSITION pos = list.GetHeadPosition();
    EXPECT_EQ(list.GetNext(pos), &a);
    EXPECT_EQ(list.GetNext(pos), &b);
    EXPECT_EQ(pos, nullptr);
}

class CFileTest : public ::testing::Test {
protected:
    std::string path = "/tmp/tallow-cfile-" + std::to_string(getpid());
    void TearDown() override { std::remove(path.c_str()); }
};

TEST_F(CFileTest, CreateTruncatesAndNoTruncateKeeps)
{
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary));
    EXPECT_EQ(CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary, 0x9002u);
    ASSERT_TRUE(f.Write("hello world", 11));
    f.SeekToBegin();
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, sizeof(buf)), 11u);
    EXPECT_EQ(f.GetLength(), 11u);
    f.Close();

    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    EXPECT_EQ(f.GetLength(), 11u);
    f.Close();
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(f.GetLength(), 0u);
    f.Close();

    EXPECT_TRUE(CFile::Remove(path.c_str()));
    EXPECT_FALSE(f.Open(path.c_str(), CFile::modeRead)) << "plain read does not create";
    EXPECT_EQ(f.Read(buf, 4), 0u);
    EXPECT_FALSE(f.Write("x", 1));
}

// The entry routine's verdict from what CPUID reported (EDX of leaf 1).
TEST(ProcessorCheck, NeedsCpuidConditionalMovesAndAnFpu)
{
    const struct {
        uint32_t maxLeaf, features;
        bool runs;
    } cases[] = {
        {0, 0, false},                                        // 386, early 486: no CPUID
        {0, CPUID_FEATURE_FPU | CPUID_FEATURE_CMOV, false},   // leaf 1 not offered: nothing is known
        {1, 0x008001BF, false},                               // Pentium MMX: FPU, no CMOV
        {1, 0x008021BF, false},                               // AMD K6-2 (no CMOV)
        {1, CPUID_FEATURE_CMOV, false},                       // conditional moves but no FPU for FCOMI
        {1, CPUID_FEATURE_FPU | CPUID_FEATURE_CMOV, true},    // the least that runs
        {2, 0x0183FBFF, true},                                // Pentium III
        {0x0D, 0xBFEBFBFF, true},                             // today's processors
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProcessorCanRunProgram(c.maxLeaf, c.features), c.runs) << std::hex << c.maxLeaf << " " << c.features;
}
