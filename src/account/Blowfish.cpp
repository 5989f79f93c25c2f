#include "account/Blowfish.h"

#include <cstring>
#include <utility>

namespace {

SBlock LoadBlock(const unsigned char* p)
{
    auto word = [](const unsigned char* b) {
        return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
    };
    return SBlock(word(p), word(p + 4));
}

void StoreBlock(const SBlock& block, unsigned char* p)
{
    const uint32_t words[2] = {block.left, block.right};
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(words[i / 4] >> (24 - 8 * (i % 4)));
}

} // namespace

CBlowfish::CBlowfish(const unsigned char* ucKey, size_t keysize, const SBlock& roChain)
    : m_oChain0(roChain), m_oChain(roChain)
{
    if (keysize == 0 || !ucKey)
        throw CFixedError("Incorrect key length");
    if (keysize > MAX_KEY)
        keysize = MAX_KEY;

    memcpy(m_auiP, s_initP, sizeof(m_auiP));
    memcpy(m_auiS, s_initS, sizeof(m_auiS));

    size_t k = 0;
    for (uint32_t& p : m_auiP) {
        uint32_t word = 0;
        for (int i = 0; i < 4; ++i, k = (k + 1) % keysize)
            word = word << 8 | ucKey[k];
        p ^= word;
    }

    SBlock block;
    for (int i = 0; i < 18; i += 2) {
        EncryptBlock(block);
        m_auiP[i] = block.left;
        m_auiP[i + 1] = block.right;
    }
    for (auto& box : m_auiS) {
        for (int i = 0; i < 256; i += 2) {
            EncryptBlock(block);
            box[i] = block.left;
            box[i + 1] = block.right;
        }
    }
}

uint32_t CBlowfish::F(uint32_t x) const
{
    return ((m_auiS[0][x >> 24] + m_auiS[1][(x >> 16) & 0xFF]) ^ m_auiS[2][(x >> 8) & 0xFF]) + m_auiS[3][x & 0xFF];
}

void CBlowfish::EncryptBlock(SBlock& block) const
{
    uint32_t l = block.left;
    uint32_t r = block.right;
    for (int i = 0; i < 16; ++i) {
        l ^= m_auiP[i];
        r ^= F(l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= m_auiP[16];
    l ^= m_auiP[17];
    block = SBlock(l, r);
}

void CBlowfish::Encrypt(const unsigned char* in, unsigned char* out, size_t n, int iMode)
{
    if (n == 0 || n % 8 != 0)
        throw CFixedError("Incorrect buffer length");
    m_oChain = m_oChain0;
    for (size_t off = 0; off < n; off += 8) {
        SBlock block = LoadBlock(in + off);
        if (iMode == CBC) {
            block.left ^= m_oChain.left;
            block.right ^= m_oChain.right;
            EncryptBlock(block);
            m_oChain = block;
        } else if (iMode == CFB) {
            SBlock pad = m_oChain;
            EncryptBlock(pad);
            block.left ^= pad.left;
            block.right ^= pad.right;
            m_oChain = block;
        } else {
            EncryptBlock(block);
        }
        StoreBlock(block, out + off);
    }
}
