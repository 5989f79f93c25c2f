#include "net/DerReader.h"

#include <cstring>

bool DerItem::IsOid(const unsigned char* oid, size_t size) const
{
    return tag == DER_OID && bodySize == size && std::memcmp(body, oid, size) == 0;
}

CDerReader::CDerReader(const unsigned char* p, size_t size, int depth)
    : m_p(p), m_end(p + size), m_depth(depth), m_failed(depth > MAX_DEPTH || (!p && size))
{
}

bool CDerReader::Fail()
{
    m_failed = true;
    m_p = m_end;
    return false;
}

bool CDerReader::ReadAny(DerItem& item)
{
    if (m_failed || m_end - m_p < 2)
        return Fail();
    const unsigned char* at = m_p;
    const unsigned char tag = at[0];
    // Tag numbers above 30 take more bytes; no signature uses them.
    if ((tag & 0x1F) == 0x1F)
        return Fail();
    size_t length = at[1];
    size_t header = 2;
    if (length & 0x80) {
        // 0x80 is the indefinite length of BER; more than three bytes of
        // length would be far beyond MAX_ITEM.
        const size_t bytes = length & 0x7F;
        if (bytes == 0 || bytes > 3 || static_cast<size_t>(m_end - at) < 2 + bytes || at[2] == 0)
            return Fail();
        length = 0;
        for (size_t i = 0; i < bytes; ++i)
            length = length << 8 | at[2 + i];
        // The shortest form: one byte of length only from 128 on.
        if (length < 0x80)
            return Fail();
        header += bytes;
    }
    if (length > MAX_ITEM || length > static_cast<size_t>(m_end - at) - header)
        return Fail();
    item.tag = tag;
    item.whole = at;
    item.wholeSize = header + length;
    item.body = at + header;
    item.bodySize = length;
    m_p = at + item.wholeSize;
    return true;
}

bool CDerReader::Read(unsigned char tag, DerItem& item)
{
    return ReadAny(item) && (item.tag == tag || Fail());
}

bool CDerReader::ReadOptional(unsigned char tag, DerItem& item)
{
    if (m_failed || m_p == m_end || *m_p != tag)
        return false;
    return ReadAny(item);
}

CDerReader CDerReader::Inside(const DerItem& item) const
{
    CDerReader inner(item.body, item.bodySize, m_depth + 1);
    // Only constructed items hold items.
    if (m_failed || !(item.tag & 0x20))
        inner.Fail();
    return inner;
}
