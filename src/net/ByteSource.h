// A file as the checks read it: its size and bytes at offsets, nothing else.
// The program reads through the handle it holds; tests and fuzzers from memory.
#pragma once

#include <cstddef>
#include <cstdint>

class CByteSource {
public:
    virtual ~CByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Exactly n bytes from offset, or false.
    virtual bool Read(uint64_t offset, void* p, size_t n) = 0;
};
