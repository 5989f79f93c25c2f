// The Win32 edge of the checks: the portable code reads the file only
// through the handle the caller holds, so what is checked is what is then
// loaded, started or placed.
#include "net/Publisher.h"

namespace {

class CHandleSource : public CByteSource {
public:
    explicit CHandleSource(HANDLE hFile) : m_hFile(hFile)
    {
        DWORD high = 0;
        const DWORD low = ::GetFileSize(hFile, &high);
        // Four gigabytes and more are no program of the vendor's.
        m_size = low == INVALID_FILE_SIZE || high != 0 ? 0 : low;
    }
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* p, size_t n) override
    {
        DWORD got = 0;
        return offset <= m_size && n <= m_size - offset &&
               ::SetFilePointer(m_hFile, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == offset &&
               ::ReadFile(m_hFile, p, static_cast<DWORD>(n), &got, nullptr) && got == n;
    }

private:
    HANDLE m_hFile;
    uint64_t m_size;
};

bool Usable(HANDLE hFile, const char* pins)
{
    return hFile && hFile != INVALID_HANDLE_VALUE && pins && *pins;
}

} // namespace

AuthenticodeResult VerifyPublisher(HANDLE hFile, const char* keyPins)
{
    if (!Usable(hFile, keyPins))
        return AuthenticodeResult::Unreadable;
    CHandleSource file(hFile);
    return VerifyAuthenticode(file, keyPins);
}

bool IsPinnedDriver(HANDLE hFile, const char* pins)
{
    if (!Usable(hFile, pins))
        return false;
    CHandleSource file(hFile);
    return file.Size() > 0 && IsPinnedFile(file, pins);
}
