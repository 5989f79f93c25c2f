// DER as a signature from outside must be written: single-byte tags, definite
// lengths in their shortest form, every item inside its parent, and nesting
// of bounded depth. Anything else, and anything read after a failure, fails:
// a reader that failed stays failed, so a parse can check once at its end.
#pragma once

#include <cstddef>

enum DerTag : unsigned char {
    DER_BOOLEAN = 0x01,
    DER_INTEGER = 0x02,
    DER_BIT_STRING = 0x03,
    DER_OCTET_STRING = 0x04,
    DER_NULL = 0x05,
    DER_OID = 0x06,
    DER_SEQUENCE = 0x30,
    DER_SET = 0x31,
    DER_CONTEXT_0 = 0xA0, // [0], constructed
    DER_CONTEXT_1 = 0xA1,
    DER_CONTEXT_3 = 0xA3,
};

struct DerItem {
    unsigned char tag = 0;
    const unsigned char* whole = nullptr; // from the tag on
    size_t wholeSize = 0;
    const unsigned char* body = nullptr;
    size_t bodySize = 0;

    // An OID item whose body is exactly oid.
    template <size_t N> bool Is(const unsigned char (&oid)[N]) const { return IsOid(oid, N); }
    bool IsOid(const unsigned char* oid, size_t size) const;
};

class CDerReader {
public:
    // Items larger than this are refused, whatever room their parent has.
    static const size_t MAX_ITEM = 1 << 20;
    static const int MAX_DEPTH = 20;

    CDerReader(const unsigned char* p, size_t size) : CDerReader(p, size, 0) {}

    // The next item, which must carry tag.
    bool Read(unsigned char tag, DerItem& item);
    // The next item whatever its tag.
    bool ReadAny(DerItem& item);
    // The next item if it carries tag; false, and nothing read, otherwise.
    bool ReadOptional(unsigned char tag, DerItem& item);
    // The items inside a constructed item, one level deeper.
    CDerReader Inside(const DerItem& item) const;
    bool AtEnd() const { return !m_failed && m_p == m_end; }
    bool Failed() const { return m_failed; }

private:
    CDerReader(const unsigned char* p, size_t size, int depth);
    bool Fail();

    const unsigned char* m_p;
    const unsigned char* m_end;
    int m_depth;
    bool m_failed = false;
};
