#include "framework/File.h"

#ifdef _WIN32

BOOL CFile::Open(const char* pszFileName, UINT nOpenFlags)
{
    Close();
    DWORD access = GENERIC_READ;
    if ((nOpenFlags & 3) == modeWrite)
        access = GENERIC_WRITE;
    else if ((nOpenFlags & 3) == modeReadWrite)
        access = GENERIC_READ | GENERIC_WRITE;

    DWORD share = 0;
    switch (nOpenFlags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    case shareCompat: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: break;
    }

    DWORD creation = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        creation = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    m_hFile = CreateFileA(pszFileName, access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_hFile != INVALID_HANDLE_VALUE;
}

UINT CFile::Read(void* pBuf, UINT nCount)
{
    DWORD got = 0;
    if (!IsOpen() || !ReadFile(m_hFile, pBuf, nCount, &got, nullptr))
        return 0;
    return got;
}

BOOL CFile::Write(const void* pBuf, UINT nCount)
{
    DWORD put = 0;
    return IsOpen() && WriteFile(m_hFile, pBuf, nCount, &put, nullptr) && put == nCount;
}

ULONGLONG CFile::GetLength() const
{
    if (!IsOpen())
        return 0;
    // GetFileSizeEx is missing before Windows 2000; a size whose low word is
    // all ones is only a failure when the last error says so.
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(m_hFile, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return 0;
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    if (!IsOpen())
        return 0;
    // SetFilePointerEx is missing before Windows 2000: the high word travels
    // separately and an all-ones low word is checked against the last error.
    LONG high = static_cast<LONG>(lOff >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(m_hFile, static_cast<LONG>(lOff & 0xFFFFFFFF), &high, nFrom);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return 0;
    return (static_cast<ULONGLONG>(static_cast<DWORD>(high)) << 32) | low;
}

void CFile::Close()
{
    if (IsOpen())
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

bool CFile::IsOpen() const
{
    return m_hFile != INVALID_HANDLE_VALUE;
}

BOOL CFile::Remove(const char* pszFileName)
{
    return DeleteFileA(pszFileName);
}

#else

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

BOOL CFile::Open(const char* pszFileName, UINT nOpenFlags)
{
    Close();
    int flags = O_RDONLY;
    if ((nOpenFlags & 3) == modeWrite)
        flags = O_WRONLY;
    else if ((nOpenFlags & 3) == modeReadWrite)
        flags = O_RDWR;
    if (nOpenFlags & modeCreate)
        flags |= O_CREAT | ((nOpenFlags & modeNoTruncate) ? 0 : O_TRUNC);
    m_fd = ::open(pszFileName, flags | O_CLOEXEC, 0644);
    return m_fd >= 0;
}

UINT CFile::Read(void* pBuf, UINT nCount)
{
    if (!IsOpen())
        return 0;
    const ssize_t n = ::read(m_fd, pBuf, nCount);
    return n > 0 ? static_cast<UINT>(n) : 0;
}

BOOL CFile::Write(const void* pBuf, UINT nCount)
{
    const char* p = static_cast<const char*>(pBuf);
    while (IsOpen() && nCount > 0) {
        const ssize_t n = ::write(m_fd, p, nCount);
        if (n <= 0)
            return FALSE;
        p += n;
        nCount -= static_cast<UINT>(n);
    }
    return IsOpen();
}

ULONGLONG CFile::GetLength() const
{
    struct stat st {};
    return IsOpen() && fstat(m_fd, &st) == 0 ? static_cast<ULONGLONG>(st.st_size) : 0;
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    const off_t r = IsOpen() ? lseek(m_fd, lOff, static_cast<int>(nFrom)) : -1;
    return r < 0 ? 0 : static_cast<ULONGLONG>(r);
}

void CFile::Close()
{
    if (IsOpen())
        ::close(m_fd);
    m_fd = -1;
}

bool CFile::IsOpen() const
{
    return m_fd >= 0;
}

BOOL CFile::Remove(const char* pszFileName)
{
    return ::unlink(pszFileName) == 0;
}

#endif
