// The field splitter's behaviour that the cookie reader and the web-service
// reply parser depend on.
#include "account/Tokenizer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<CString> Tokens(const CString& text, const CString& delimiter, int calls)
{
    CTokenizer t;
    t.SetText(text);
    std::vector<CString> out;
    for (int i = 0; i < calls; ++i)
        out.push_back(t.NextToken(delimiter));
    return out;
}

} // namespace

TEST(Tokenizer, FieldsThenEmptyTokensForever)
{
    const std::vector<CString> want = {"a", "bc", "d", "", "", ""};
    EXPECT_EQ(Tokens("a|bc|d", "|", 6), want);
    // A trailing delimiter ends the fields the same way.
    EXPECT_EQ(Tokens("a|bc|d|", "|", 6), want);
}

TEST(Tokenizer, AdjacentAndLeadingDelimitersGiveEmptyFields)
{
    EXPECT_EQ(Tokens("a||b", "|", 3), (std::vector<CString>{"a", "", "b"}));
    EXPECT_EQ(Tokens("|a", "|", 2), (std::vector<CString>{"", "a"}));
    EXPECT_EQ(Tokens("", "|", 2), (std::vector<CString>{"", ""}));
    EXPECT_EQ(Tokens("abc", "|", 2), (std::vector<CString>{"abc", ""}));
}

TEST(Tokenizer, SkipsOneCharacterWhateverTheDelimiterLength)
{
    EXPECT_EQ(Tokens("a::b::c", "::", 4), (std::vector<CString>{"a", ":b", ":c", ""}));
    // An empty delimiter matches everywhere: only empty tokens, and no crash
    // however often it is asked.
    EXPECT_EQ(Tokens("ab", "", 5), (std::vector<CString>(5, "")));
}

TEST(Tokenizer, SetTextStartsOver)
{
    CTokenizer t;
    t.SetText("x&y");
    EXPECT_EQ(t.NextToken("&"), "x");
    t.SetText("p&q");
    EXPECT_EQ(t.m_nPos, 0);
    EXPECT_EQ(t.NextToken("&"), "p");
    EXPECT_EQ(t.NextToken("&"), "q");
    EXPECT_EQ(t.m_nPos, 3);
}
