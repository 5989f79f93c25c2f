// Choosing the partner's cookie file, taking its value and splitting it into
// the five fields, and reading a cookie file of any size without overflow.
#include "account/PartnerCookie.h"
#include "install/OsKindRules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Members {
    CString field0, userId, field2, userName, phone;
    CString* const all[5] = {&field0, &userId, &field2, &userName, &phone};
};

std::string TempFile(const std::string& content)
{
    char name[] = "/tmp/cookie-test-XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    close(fd);
    return name;
}

} // namespace

TEST(CookiePattern, LowFolderOnVistaAndNoDoubledSeparator)
{
    EXPECT_EQ(CookieSearchPattern("C:\\Cookies", OSKIND_WIN2000_PRO), "C:\\Cookies\\*.txt");
    EXPECT_EQ(CookieSearchPattern("C:\\Cookies\\", OSKIND_WIN2000_PRO), "C:\\Cookies\\*.txt");
    EXPECT_EQ(CookieSearchPattern("C:\\Cookies", OSKIND_VISTA - 1), "C:\\Cookies\\*.txt");
    EXPECT_EQ(CookieSearchPattern("C:\\Cookies", OSKIND_VISTA), "C:\\Cookies\\Low\\*.txt");
    EXPECT_EQ(CookieSearchPattern("C:\\Cookies\\", OSKIND_VISTA + 1), "C:\\Cookies\\\\Low\\*.txt");
    EXPECT_EQ(CookieSearchPattern("none", OSKIND_WIN2000_PRO), "none\\*.txt");
    EXPECT_EQ(CookieSearchPattern("", OSKIND_WIN2000_PRO), "\\*.txt");
}

TEST(CookieFolder, OnlyWholePathsAreSearched)
{
    for (const char* whole : {"C:\\Cookies", "c:\\", "\\\\server\\share\\Cookies"})
        EXPECT_TRUE(IsAbsoluteFolder(whole)) << whole;
    for (const char* partial : {"", "none", "Cookies", "\\Cookies", "C:Cookies", "1:\\Cookies", "\\\\\\x", "C:"})
        EXPECT_FALSE(IsAbsoluteFolder(partial)) << partial;
}

TEST(CookieChooser, OnlyVestainetPathsLatestWrittenFirstOnTies)
{
    CCookieChooser c;
    c.Offer("C:\\Cookies\\user@other[1].txt", 900);
    c.Offer("C:\\Cookies\\user@VestaINet[1].txt", 900); // case matters
    EXPECT_EQ(c.Chosen(), "");
    c.Offer("C:\\Cookies\\user@vestainet[1].txt", 100);
    c.Offer("C:\\Cookies\\user@www.vestainet[2].txt", 100);
    EXPECT_EQ(c.Chosen(), "C:\\Cookies\\user@vestainet[1].txt");
    c.Offer("C:\\Cookies\\user@www.vestainet[3].txt", 101);
    c.Offer("C:\\Cookies\\user@vestainet[4].txt", 50);
    EXPECT_EQ(c.Chosen(), "C:\\Cookies\\user@www.vestainet[3].txt");

    // The first match is taken whatever its time, and a path that starts with
    // the name does not count.
    CCookieChooser d;
    d.Offer("vestainet.txt", 500);
    d.Offer("C:\\vestainet\\a.txt", -5);
    EXPECT_EQ(d.Chosen(), "C:\\vestainet\\a.txt");
}

TEST(CookieValue, SecondLineOnly)
{
    EXPECT_EQ(CookieValueFromText("name\nv1&v2\nhost/\n"), "v1&v2");
    EXPECT_EQ(CookieValueFromText("name\nv1&v2\n"), "v1&v2");
    EXPECT_EQ(CookieValueFromText("name\r\nv1&v2\r\nhost\r\n"), "v1&v2\r");
    EXPECT_EQ(CookieValueFromText("name\nv1&v2"), "");
    EXPECT_EQ(CookieValueFromText("v1&v2"), "");
    EXPECT_EQ(CookieValueFromText("none"), "");
    EXPECT_EQ(CookieValueFromText("\n\n"), "");
}

TEST(CookieFields, SplitStopsAtFirstEmptyFieldAndKeepsOldValues)
{
    typedef std::vector<CString> Fields;
    const struct {
        const char* value;
        Fields want;
    } cases[] = {
        {"f0&user&f2&name&010&extra", {"f0", "user", "f2", "name", "010"}},
        {"g0&&g2", {"g0", "", "", "", ""}},
        {"a&b&", {"a", "b", "", "", ""}},
        {"whole value", {"whole value", "", "", "", ""}},
        {"&a&b", {"", "", "", "", ""}},
        {"", {"", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        Members m;
        SplitCookieValue(c.value, m.all);
        EXPECT_EQ(Fields({m.field0, m.userId, m.field2, m.userName, m.phone}), c.want) << c.value;
    }

    // A second read keeps whatever the new value has no field for.
    Members m;
    SplitCookieValue("f0&user&f2&name&010", m.all);
    SplitCookieValue("g0&&g2&g3", m.all);
    EXPECT_EQ(Fields({m.field0, m.userId, m.field2, m.userName, m.phone}), Fields({"g0", "user", "f2", "name", "010"}));

    // CR LF line ends leave the CR on the last field.
    Members crlf;
    SplitCookieValue(CookieValueFromText("n\r\na&b\r\n"), crlf.all);
    EXPECT_EQ(crlf.userId, "b\r");
}

TEST(CookieFile, ReadWholeUpTo1023BytesCutBeyond)
{
    for (size_t size : {size_t(0), size_t(1), size_t(1023), size_t(1024), size_t(5000), size_t(70000)}) {
        std::string content(size, 'x');
        for (size_t i = 0; i < size; i += 97)
            content[i] = '\n';
        const std::string path = TempFile(content);
        std::vector<char> out(COOKIE_BUFFER_SIZE, '\x7f');
        const int n = ReadFileBounded(path.c_str(), out.data(), COOKIE_BUFFER_SIZE);
        const size_t want = std::min<size_t>(size, COOKIE_BUFFER_SIZE - 1);
        EXPECT_EQ(n, static_cast<int>(want)) << size;
        EXPECT_EQ(std::string(out.data(), want), content.substr(0, want));
        EXPECT_EQ(out[want], '\0');
        EXPECT_EQ(ReadCookieText(path.c_str()), CString(content.substr(0, want)));
        unlink(path.c_str());
    }
}

TEST(CookieFile, TextStopsAtZeroByteAndMissingFileIsNone)
{
    const std::string path = TempFile(std::string("n\nab\0cd\n", 8));
    EXPECT_EQ(ReadCookieText(path.c_str()), "n\nab");
    char small[4];
    EXPECT_EQ(ReadFileBounded(path.c_str(), small, sizeof(small)), 3);
    EXPECT_STREQ(small, "n\na");
    unlink(path.c_str());

    EXPECT_EQ(ReadCookieText("/nonexistent/cookie.txt"), "none");
    EXPECT_EQ(ReadCookieText(""), "none");
    EXPECT_EQ(ReadFileBounded("/nonexistent/cookie.txt", small, sizeof(small)), -1);
}
