// Downloaded programs as they may come: any bytes as a whole file (when they
// start with "MZ"), and any bytes as the signature in the certificate table
// of a small well-formed image (otherwise), so that mutations reach the
// PKCS #7 reading as well as the PE reading. Nothing may crash, read out of
// bounds, or accept a file no key of the pin made.
//   make fuzz (or fuzz/run.sh SECONDS BUILD_DIR); seeds in fuzz/corpus/authenticode_fuzz/,
//   signed with a throwaway key whose pin is below.
#include "net/Authenticode.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char SEED_KEY_PIN[] = "2a7e5cd18b7cc0c905d8fd61ae4f9b9290e35eb07449e55000075c7d6da3e82b";

class CMemorySource : public CByteSource {
public:
    CMemorySource(const uint8_t* p, size_t n) : m_p(p), m_n(n) {}
    uint64_t Size() const override { return m_n; }
    bool Read(uint64_t offset, void* p, size_t n) override
    {
        if (offset > m_n || n > m_n - offset)
            abort(); // the checks must stay inside the size they were told
        if (n)
            memcpy(p, m_p + offset, n);
        return true;
    }

private:
    const uint8_t* m_p;
    size_t m_n;
};

void Put16(std::vector<uint8_t>& v, size_t at, uint16_t x)
{
    v[at] = x & 0xFF;
    v[at + 1] = x >> 8;
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    Put16(v, at, x & 0xFFFF);
    Put16(v, at + 2, x >> 16);
}

// A PE32 image of 1024 bytes (headers, one section) whose certificate table
// is one entry holding der.
std::vector<uint8_t> ImageWithSignature(const uint8_t* der, size_t size)
{
    std::vector<uint8_t> image(1024);
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, 64);
    memcpy(&image[64], "PE\0\0", 4);
    Put16(image, 68, 0x14C);   // machine
    Put16(image, 70, 1);       // sections
    Put16(image, 84, 224);     // optional header size
    const size_t opt = 88;
    Put16(image, opt, 0x10B);  // PE32
    Put32(image, opt + 92, 16); // directories
    const uint32_t table = 1024;
    const uint32_t entry = static_cast<uint32_t>((8 + size + 7) / 8 * 8);
    Put32(image, opt + 96 + 4 * 8, table);
    Put32(image, opt + 96 + 4 * 8 + 4, entry);
    image.resize(table + entry);
    Put32(image, table, entry);
    Put16(image, table + 4, 0x0200);
    Put16(image, table + 6, 0x0002);
    memcpy(&image[table + 8], der, size);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> wrapped;
    if (size < 2 || data[0] != 'M' || data[1] != 'Z') {
        wrapped = ImageWithSignature(data, size);
        data = wrapped.data();
        size = wrapped.size();
    }
    CMemorySource file(data, size);
    const AuthenticodeResult result = VerifyAuthenticode(file, SEED_KEY_PIN);
    // Without the pin nothing passes.
    if (result == AuthenticodeResult::Verified && VerifyAuthenticode(file, "") != AuthenticodeResult::NotPinned)
        abort();
    IsPinnedFile(file, SEED_KEY_PIN);
    return 0;
}
