// What each kind of downloaded file may be: how large, and whether it must
// be a program image. The plan decides which kind an entry is.
#pragma once

#include <cstddef>
#include <cstdint>

enum class DownloadKind { Setup, DataFile, OdbcLibrary, PartnerLibrary, Unknown };

// The largest file of each kind the worker takes.
uint64_t MaxDownloadSize(DownloadKind kind);
// Programs, libraries and drivers must be PE images; a data list may be anything, even empty.
bool MustBePeImage(DownloadKind kind);
// The first bytes of a file of fileSize bytes (at most PE_HEAD_SIZE of them)
// start a PE image whose header lies within them.
const size_t PE_HEAD_SIZE = 4096;
bool LooksLikePeImage(const unsigned char* head, size_t headSize);
