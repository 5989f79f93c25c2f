#include "framework/FileFind.h"

#include <algorithm>
#include <cstring>

BOOL CFileFind::FindFile(const char* pszPattern)
{
    Close();
    m_hFind = ::FindFirstFileA(pszPattern, &m_next);
    if (m_hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    m_bHaveNext = true;
    CString pattern(pszPattern);
    const int slash = std::max(pattern.ReverseFind('\\'), pattern.ReverseFind('/'));
    m_strRoot = slash >= 0 ? pattern.Left(slash + 1) : CString();
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (!m_bHaveNext)
        return FALSE;
    m_found = m_next;
    m_bHaveNext = ::FindNextFileA(m_hFind, &m_next) != FALSE;
    return m_bHaveNext;
}

void CFileFind::Close()
{
    if (m_hFind != INVALID_HANDLE_VALUE)
        ::FindClose(m_hFind);
    m_hFind = INVALID_HANDLE_VALUE;
    m_bHaveNext = false;
}

BOOL CFileFind::IsDots() const
{
    return IsDirectory() && (!strcmp(m_found.cFileName, ".") || !strcmp(m_found.cFileName, ".."));
}

BOOL CFileFind::GetLastWriteTime(FILETIME* pTime) const
{
    *pTime = m_found.ftLastWriteTime;
    return TRUE;
}
