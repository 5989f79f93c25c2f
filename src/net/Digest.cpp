#include "net/Digest.h"

#include <cstring>

CDigest::CDigest(Kind kind) : m_kind(kind)
{
    const br_hash_class* vtable = kind == SHA1 ? &br_sha1_vtable : &br_sha256_vtable;
    vtable->init(&m_context.vtable);
}

void CDigest::Add(const void* p, size_t n)
{
    m_context.vtable->update(&m_context.vtable, p, n);
}

std::string CDigest::Finish() const
{
    unsigned char out[32];
    m_context.vtable->out(&m_context.vtable, out);
    return std::string(reinterpret_cast<const char*>(out), Size(m_kind));
}

std::string CDigest::Of(Kind kind, const void* p, size_t n)
{
    CDigest digest(kind);
    digest.Add(p, n);
    return digest.Finish();
}

bool IsPinned(const std::string& sha256, const char* pins)
{
    if (sha256.size() != 32 || !pins)
        return false;
    static const char HEX[] = "0123456789abcdef";
    char hex[65];
    for (size_t i = 0; i < 32; ++i) {
        hex[2 * i] = HEX[static_cast<unsigned char>(sha256[i]) >> 4];
        hex[2 * i + 1] = HEX[sha256[i] & 15];
    }
    // The build writes pins in lower case, 64 digits each.
    for (const char* pin = pins; *pin;) {
        const char* end = std::strchr(pin, ';');
        const size_t length = end ? static_cast<size_t>(end - pin) : std::strlen(pin);
        if (length == 64 && std::memcmp(pin, hex, 64) == 0)
            return true;
        pin += end ? length + 1 : length;
    }
    return false;
}
