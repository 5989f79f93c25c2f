// CFile: an unbuffered binary file with the framework's open modes.
#pragma once

#include "framework/WinTypes.h"

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile() { Close(); }

    BOOL Open(const char* pszFileName, UINT nOpenFlags);
    UINT Read(void* pBuf, UINT nCount);
    // Returns FALSE when not every byte could be written.
    BOOL Write(const void* pBuf, UINT nCount);
    ULONGLONG GetLength() const;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    void Close();
    bool IsOpen() const;

    static BOOL Remove(const char* pszFileName);

private:
#ifdef _WIN32
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
#else
    int m_fd = -1;
#endif
};
