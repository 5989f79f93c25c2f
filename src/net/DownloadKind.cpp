#include "net/DownloadKind.h"

#include <cstring>

uint64_t MaxDownloadSize(DownloadKind kind)
{
    const uint64_t mib = 1024 * 1024;
    switch (kind) {
    case DownloadKind::Setup:
        return 256 * mib;
    case DownloadKind::DataFile:
        return 64 * mib;
    case DownloadKind::OdbcLibrary:
        return 16 * mib;
    case DownloadKind::PartnerLibrary:
        return 4 * mib;
    default:
        return 0;
    }
}

bool MustBePeImage(DownloadKind kind)
{
    return kind != DownloadKind::DataFile;
}

bool LooksLikePeImage(const unsigned char* head, size_t headSize)
{
    // The MS-DOS header names where the PE header starts.
    if (headSize < 0x40 || head[0] != 'M' || head[1] != 'Z')
        return false;
    const uint32_t at = head[0x3C] | head[0x3D] << 8 | head[0x3E] << 16 | static_cast<uint32_t>(head[0x3F]) << 24;
    return at >= 0x40 && at <= headSize - 4 && std::memcmp(head + at, "PE\0\0", 4) == 0;
}
