#include "account/InfoCipher.h"

#include "account/Blowfish.h"

#include <algorithm>
#include <climits>
#include <cstring>

void CInfoCipher::SetKey(const unsigned char* key, uint32_t count)
{
    m_pKey.reset(new unsigned char[count ? count : 1]);
    if (count)
        memcpy(m_pKey.get(), key, count);
    m_nKeyLength = count;
}

std::unique_ptr<unsigned char[]> CInfoCipher::EncryptBuffer(const unsigned char* data, int length, int blockSize,
                                                            int* outLength)
{
    if (length < 0 || blockSize <= 0 || blockSize % 8 != 0 || length > INT_MAX - 4 - blockSize)
        throw CFixedError("Incorrect buffer length");
    const int blocks = length / blockSize + (length % blockSize ? 1 : 0);
    const int total = blocks * blockSize + 4;
    std::unique_ptr<unsigned char[]> out(new unsigned char[total]);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(static_cast<uint32_t>(length) >> (8 * i));

    CBlowfish cipher(m_pKey.get(), m_nKeyLength);
    std::unique_ptr<unsigned char[]> block(new unsigned char[blockSize]);
    for (int i = 0; i < blocks; ++i) {
        const int offset = i * blockSize;
        memset(block.get(), 0, blockSize);
        memcpy(block.get(), data + offset, std::min(blockSize, length - offset));
        cipher.Encrypt(block.get(), out.get() + 4 + offset, blockSize, CBlowfish::ECB);
    }
    *outLength = total;
    return out;
}
