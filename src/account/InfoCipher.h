// CInfoCipher: the length-prefixed, zero-padded Blowfish ECB encryption of the
// information files.
#pragma once

#include <cstdint>
#include <memory>

class CInfoCipher {
public:
    CInfoCipher() = default;
    virtual ~CInfoCipher() = default;

    void SetKey(const unsigned char* key, uint32_t count);
    // Returns the 4-byte little-endian length followed by the encrypted blocks,
    // the last one zero-padded; *outLength receives the total size. Throws
    // CFixedError for an unset key, a block size that is not a
    // positive multiple of 8, or a negative length.
    std::unique_ptr<unsigned char[]> EncryptBuffer(const unsigned char* data, int length, int blockSize,
                                                   int* outLength);

private:
    std::unique_ptr<unsigned char[]> m_pKey;
    uint32_t m_nKeyLength = 0;
};
