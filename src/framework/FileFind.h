// CFileFind: enumerates the files matching a pattern.
#pragma once

#include "framework/String.h"

class CFileFind {
public:
    CFileFind() = default;
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;
    ~CFileFind() { Close(); }

    // FALSE when nothing matches; otherwise FindNextFile moves to the first match.
    BOOL FindFile(const char* pszPattern = "*.*");
    // Moves to the next match; FALSE when the match it moved to is the last one.
    BOOL FindNextFile();
    void Close();

    CString GetFileName() const { return m_found.cFileName; }
    CString GetFilePath() const { return m_strRoot + m_found.cFileName; }
    BOOL IsDirectory() const { return (m_found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    BOOL IsDots() const;
    BOOL GetLastWriteTime(FILETIME* pTime) const;

private:
    HANDLE m_hFind = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA m_next{};
    WIN32_FIND_DATAA m_found{};
    bool m_bHaveNext = false;
    CString m_strRoot;
};
