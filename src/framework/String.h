// CString: a byte string in the ANSI code page, with the operations of the
// framework string the installer's code is written against.
#pragma once

#include "framework/WinTypes.h"

#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    // Out of line, like the operators below: strings are built all over the
    // program, and each inlined copy of std::string's code costs the download.
    CString(const char* psz);
    CString(const char* pch, int nLength);
    CString(char ch, int nRepeat = 1);
    CString(const std::string& s);
    CString(const CString& s);
    CString(CString&& s) noexcept;
    ~CString();
    CString& operator=(const CString& s);
    CString& operator=(CString&& s) noexcept;

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    operator const char*() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }

    char GetAt(int nIndex) const { return m_s.at(static_cast<size_t>(nIndex)); }
    void SetAt(int nIndex, char ch) { m_s.at(static_cast<size_t>(nIndex)) = ch; }
    char operator[](int nIndex) const { return GetAt(nIndex); }

    // Out-of-range arguments are clamped, as callers parsing outside data rely on.
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;

    // Positions are byte offsets; -1 when not found.
    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* pszCharSet) const;

    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    // A text that would come out longer than MAX_FORMATTED leaves the string empty.
    void FormatV(const char* pszFormat, va_list args);
    static const size_t MAX_FORMATTED = 1 << 20;

    int Compare(const char* psz) const;
    int CompareNoCase(const char* psz) const;
    void MakeUpper();
    void MakeLower();
    void TrimLeft();
    void TrimRight();
    int Replace(const char* pszOld, const char* pszNew);

    // Direct access to the characters; ReleaseBuffer(-1) takes the length up
    // to the first zero byte.
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

#ifdef _WIN32
    BOOL LoadString(UINT nID);
#endif

    CString& operator=(const char* psz);
    CString& operator+=(const CString& s);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    friend CString operator+(const CString& a, char ch);

    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
    friend bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

private:
    std::string m_s;
};

typedef const char* LPCTSTR_;
