// SHA-256 of bytes given in pieces: tells whether a file read back is the
// file that was written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CSha256 {
public:
    CSha256();
    void Add(const void* p, size_t n);
    // The 32-byte digest; the object is spent afterwards.
    std::string Finish();

private:
    void Block(const unsigned char* p);

    uint32_t m_state[8];
    unsigned char m_pending[64];
    size_t m_pendingSize = 0;
    uint64_t m_total = 0;
};
