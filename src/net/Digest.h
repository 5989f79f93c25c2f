// SHA-1 and SHA-256 (BearSSL's) of bytes given in pieces, and the pins the
// build fixes: SHA-256 values of what the vendor ships, as 64 hex digits
// each, separated by semicolons.
#pragma once

#include <bearssl_hash.h>

#include <cstddef>
#include <string>

class CDigest {
public:
    enum Kind { SHA1, SHA256 };

    explicit CDigest(Kind kind);
    void Add(const void* p, size_t n);
    // The digest's bytes (20 or 32); the object may go on being added to.
    std::string Finish() const;
    static size_t Size(Kind kind) { return kind == SHA1 ? 20 : 32; }
    static std::string Of(Kind kind, const void* p, size_t n);

private:
    Kind m_kind;
    union {
        const br_hash_class* vtable;
        br_sha1_context sha1;
        br_sha256_context sha256;
    } m_context;
};

// Whether the 32 bytes of sha256 are one of pins ("" holds none).
bool IsPinned(const std::string& sha256, const char* pins);
