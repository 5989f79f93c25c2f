// What a signature's DER may not be: anything BER allows beyond DER, lengths
// beyond the bytes there are, or nesting without end. The signed files of the
// publisher test are all well formed; these bytes are not.
#include "net/DerReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Reads every item, descending into constructed ones; true when all of the
// bytes were read as DER.
bool ReadsAsDer(CDerReader r)
{
    while (!r.AtEnd()) {
        DerItem item;
        if (!r.ReadAny(item) || ((item.tag & 0x20) && !ReadsAsDer(r.Inside(item))))
            return false;
    }
    return true;
}

bool ReadsAsDer(const std::string& bytes)
{
    return ReadsAsDer(CDerReader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

std::string Nested(int depth)
{
    std::string der;
    for (int i = 0; i < depth; ++i)
        der = std::string("\x30", 1) + static_cast<char>(der.size()) + der;
    return der;
}

} // namespace

TEST(DerReader, OnlyDefiniteShortestLengthsWithinTheirParentAndBoundedNesting)
{
    const struct {
        std::string bytes;
        bool der;
    } cases[] = {
        {std::string("\x30\x03\x02\x01\x01", 5), true},
        {std::string("\x04\x81\x80", 3) + std::string(0x80, 'x'), true},
        {std::string("\x30\x80\x02\x01\x01\x00\x00", 7), false},          // indefinite length
        {std::string("\x04\x81\x05xxxxx", 8), false},                     // long form for a short length
        {std::string("\x04\x82\x00\x80", 4) + std::string(0x80, 'x'), false}, // leading zero in the length
        {std::string("\x04\x84\x00\x00\x00\x01x", 7), false},             // more length bytes than any item needs
        {std::string("\x30\x03\x02\x02\x01", 5), false},                  // an item beyond its parent
        {std::string("\x30\x03\x02\x01\x01\x00", 6), false},              // a stray byte after the item
        {std::string("\x1F\x22\x01x", 4), false},                         // a tag of more than one byte
        {std::string("\x04", 1), false},                                  // no length
        {std::string("\x02\x01\x01\x02\x01", 5), false},                  // a second item cut short
        {Nested(CDerReader::MAX_DEPTH), true},
        {Nested(CDerReader::MAX_DEPTH + 1), false},
    };
    for (const auto& c : cases) {
        std::string hex;
        for (unsigned char b : c.bytes.substr(0, 8)) {
            hex += "0123456789abcdef"[b >> 4];
            hex += "0123456789abcdef"[b & 15];
        }
        EXPECT_EQ(ReadsAsDer(c.bytes), c.der) << hex;
    }
}
