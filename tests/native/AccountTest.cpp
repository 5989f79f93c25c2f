// Sign-in and sign-up rules: the install information's fields, the version
// segment per Windows family, the join target and the machine id.
#include "account/Account.h"
#include "install/OsKindRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The install dialog's account members, under the same names.
struct AccountMembers {
    CString m_strUserId = "kim01";
    CString m_strAccountId = "old";
    CString m_strReply3 = "old";
    CString m_strServiceLabel = "old";
    CString m_strProductDir = "old";
    CString m_strVersionDir98 = "old";
    CString m_strVersionDir2000 = "old";
    CString m_strVersionDirVista = "old";
    CString m_strDataDir = "old";
    CString m_strSDataDir = "old";
    CString m_strPlDataDir = "old";
    CString m_strVersionDir = "old";
    DWORD OsKind = OSKIND_XP_PRO;
};

// The members in the order of the reply's fields, then the chosen segment.
std::vector<std::string> Stored(const AccountMembers& m)
{
    return {m.m_strAccountId.str(),     m.m_strReply3.str(),          m.m_strServiceLabel.str(),
            m.m_strProductDir.str(),    m.m_strVersionDir98.str(),    m.m_strVersionDir2000.str(),
            m.m_strVersionDirVista.str(), m.m_strDataDir.str(),       m.m_strSDataDir.str(),
            m.m_strPlDataDir.str(),     m.m_strVersionDir.str()};
}

int HexValue(char c)
{
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

std::string PercentDecode(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

TEST(AccountSignIn, FieldsAreStoredAsTheyAreMetUpToTheTwelfthSeparator)
{
    typedef std::vector<std::string> Members;
    const struct {
        const char* reply;
        BOOL result;
        Members stored;
    } cases[] = {
        // Field 1 is never read, field 4 only says that a label exists.
        {"ignored|f2|R3|label|prod|f6|v98|v2000|vista|data|sdata|pldata|", TRUE,
         Members{"kim01", "R3", "tlfree", "prod", "v98", "v2000", "vista", "data", "sdata", "pldata", "v2000"}},
        // Field 13 and after are not read; empty fields are stored as empty.
        {"|||||||||||pl|13|14", TRUE, Members{"kim01", "", "tlfree", "", "", "", "", "", "", "pl", ""}},
        // Eleven separators: what came before the missing one is kept.
        {"x|f2|R3|label|prod|f6|v98|v2000|vista|data|sdata|pldata", FALSE,
         Members{"kim01", "R3", "tlfree", "prod", "v98", "v2000", "vista", "data", "sdata", "old", "old"}},
        {"no separator at all", FALSE, Members(11, "old")},
        {"", FALSE, Members(11, "old")},
    };
    for (const auto& c : cases) {
        AccountMembers m;
        EXPECT_EQ(ParseInstallInfo(c.reply, m), c.result) << c.reply;
        EXPECT_EQ(Stored(m), c.stored) << c.reply;
    }
}

TEST(AccountSignIn, VersionSegmentFollowsTheWindowsFamily)
{
    const struct {
        DWORD osKind;
        const char* expected;
    } cases[] = {{OSKIND_UNKNOWN, "2000"},    {OSKIND_WIN95, "2000"},      {OSKIND_WIN95_OSR2, "2000"},
                 {OSKIND_WIN98, "98"},         {OSKIND_WIN98_SE, "98"},     {OSKIND_WINME, "98"},
                 {OSKIND_WINME + 1, "2000"},   {OSKIND_XP_PRO, "2000"},     {OSKIND_VISTA - 1, "2000"},
                 {OSKIND_VISTA, "vista"},      {OSKIND_VISTA + 40, "vista"}, {0xFFFFFFFF, "vista"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseVersionDir(c.osKind, "98", "2000", "vista"), c.expected) << "OsKind " << c.osKind;
        AccountMembers m;
        m.OsKind = c.osKind;
        ASSERT_TRUE(ParseInstallInfo("s|2|3|4|5|6|98|2000|vista|10|11|12|", m));
        EXPECT_EQ(m.m_strVersionDir, c.expected) << "OsKind " << c.osKind;
    }
}

TEST(AccountSignUp, JoinTargetKeepsItsOrderAndPlainValues)
{
    EXPECT_EQ(BuildJoinTarget("kim01", "001A2B3C4D5E", "Kim_Lee-2.0~", "01012345678"),
              "tlfree/join.php?UserId=kim01&MacAddr=001A2B3C4D5E&UserName=Kim_Lee-2.0~&Phone=01012345678"
              "&Cooper=gvx");
    EXPECT_EQ(BuildJoinTarget("", "", "", ""), "tlfree/join.php?UserId=&MacAddr=&UserName=&Phone=&Cooper=gvx");
}

TEST(AccountSignUp, HostileValuesCannotAddOrBreakParameters)
{
    // "홍 길동" is compiled to its code page 949 bytes, as the cookie holds it.
    const CString target = BuildJoinTarget("a&Cooper=evil", "001A2B3C4D5E", "홍 길&동", "010\r\n1234+5%");
    EXPECT_EQ(target,
              "tlfree/join.php?UserId=a%26Cooper%3Devil&MacAddr=001A2B3C4D5E&UserName=%C8%AB%20%B1%E6%26%B5%BF"
              "&Phone=010%0D%0A1234%2B5%25&Cooper=gvx");

    // Every byte value survives the round trip.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string encoded = PercentEncode(CString(all)).str();
    EXPECT_EQ(encoded.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~%"),
              std::string::npos);
    EXPECT_EQ(PercentDecode(encoded), all);

    // No fixed limit: a long name is sent whole.
    const CString longName(std::string(3000, 'n'));
    EXPECT_EQ(BuildJoinTarget("id", "m", longName, "p").Find(longName), 45);
    EXPECT_EQ(BuildJoinTarget("id", "m", longName, "p").Right(20), "n&Phone=p&Cooper=gvx");
}

TEST(AccountMachineId, AdapterAddressOrTimeStamp)
{
    const BYTE address[8] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x77, 0x88};
    EXPECT_EQ(MachineIdFromAddress(address), "001A2B3C4D5E");
    const BYTE high[6] = {0xFF, 0xEE, 0x0A, 0xB0, 0x01, 0xC9};
    EXPECT_EQ(MachineIdFromAddress(high), "FFEE0AB001C9");

    EXPECT_EQ(MachineIdFromTime(3, 3, 9, 5, 42), "030309050042");
    EXPECT_EQ(MachineIdFromTime(12, 31, 23, 59, 999), "123123590999");
}
