// CBlowfish: the Blowfish block cipher (64-bit blocks, 16 rounds, keys of 1 to
// 56 bytes), encryption only, over a buffer in ECB, CBC or CFB-64 mode.
#pragma once

#include "framework/FixedError.h"

#include <cstddef>
#include <cstdint>

// One block: bytes 0..3 form `left` and bytes 4..7 form `right`, big-endian.
struct SBlock {
    SBlock(uint32_t l = 0, uint32_t r = 0) : left(l), right(r) {}
    uint32_t left;
    uint32_t right;
};

class CBlowfish {
public:
    enum { ECB = 0, CBC = 1, CFB = 2 };

    // Throws CFixedError("Incorrect key length") for an empty key;
    // bytes after the 56th are ignored.
    CBlowfish(const unsigned char* ucKey, size_t keysize, const SBlock& roChain = SBlock(0, 0));

    // Encrypts n bytes (n > 0, a multiple of 8, else "Incorrect buffer length");
    // in and out may be the same buffer. CBC and CFB start from the
    // constructor's chain block on every call. Unknown modes act as ECB.
    void Encrypt(const unsigned char* in, unsigned char* out, size_t n, int iMode = ECB);
    void EncryptBlock(SBlock& block) const;

    static const size_t MAX_KEY = 56;
    // The initial P-array and S-boxes (BlowfishTables.cpp, generated).
    static const uint32_t s_initP[18];
    static const uint32_t s_initS[4][256];

private:
    uint32_t F(uint32_t x) const;

    SBlock m_oChain0;
    SBlock m_oChain;
    uint32_t m_auiP[18];
    uint32_t m_auiS[4][256];
};
