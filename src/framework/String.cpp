#include "framework/String.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

CString::CString(const char* psz) : m_s(psz ? psz : "") {}
CString::CString(const char* pch, int nLength) : m_s(pch ? pch : "", pch && nLength > 0 ? nLength : 0) {}
CString::CString(char ch, int nRepeat) : m_s(nRepeat > 0 ? nRepeat : 0, ch) {}
CString::CString(const std::string& s) : m_s(s) {}
CString::CString(const CString& s) = default;
CString::CString(CString&& s) noexcept = default;
CString::~CString() = default;
CString& CString::operator=(const CString& s) = default;
CString& CString::operator=(CString&& s) noexcept = default;

CString& CString::operator=(const char* psz)
{
    m_s = psz ? psz : "";
    return *this;
}

CString& CString::operator+=(const CString& s)
{
    m_s += s.m_s;
    return *this;
}

CString& CString::operator+=(const char* psz)
{
    if (psz)
        m_s += psz;
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_s += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    return CString(a.m_s + b.m_s);
}

CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, char ch)
{
    CString r(a);
    r += ch;
    return r;
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    const int len = GetLength();
    nFirst = std::clamp(nFirst, 0, len);
    nCount = std::clamp(nCount, 0, len - nFirst);
    return CString(m_s.substr(static_cast<size_t>(nFirst), static_cast<size_t>(nCount)));
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const
{
    nCount = std::clamp(nCount, 0, GetLength());
    return Mid(GetLength() - nCount, nCount);
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    const size_t pos = m_s.find(ch, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || nStart > GetLength())
        return -1;
    const size_t pos = m_s.find(pszSub, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const
{
    const size_t pos = m_s.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(const char* pszCharSet) const
{
    const size_t pos = m_s.find_first_of(pszCharSet ? pszCharSet : "");
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

#ifdef _WIN32
// The system runtime's formatter: every format the program uses (%d, %u, %s,
// %X with widths) it has known since the first 32-bit Windows, and MinGW's
// own C99 formatter would bring its floating-point conversions (about
// 30 KiB) into the program. It says only whether the text fitted.
void CString::FormatV(const char* pszFormat, va_list args)
{
    std::string out(64, '\0');
    for (;;) {
        va_list attempt;
        va_copy(attempt, args);
        const int n = _vsnprintf(&out[0], out.size(), pszFormat, attempt);
        va_end(attempt);
        if (n >= 0 && static_cast<size_t>(n) < out.size()) {
            out.resize(static_cast<size_t>(n));
            break;
        }
        if (out.size() >= MAX_FORMATTED) {
            out.clear();
            break;
        }
        out.resize(out.size() * 2);
    }
    m_s.swap(out);
}
#else
void CString::FormatV(const char* pszFormat, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int n = vsnprintf(nullptr, 0, pszFormat, measure);
    va_end(measure);
    if (n < 0 || static_cast<size_t>(n) >= MAX_FORMATTED) {
        m_s.clear();
        return;
    }
    std::string out(static_cast<size_t>(n) + 1, '\0');
    vsnprintf(&out[0], out.size(), pszFormat, args);
    out.resize(static_cast<size_t>(n));
    m_s.swap(out);
}
#endif

int CString::Compare(const char* psz) const
{
    return strcmp(m_s.c_str(), psz ? psz : "");
}

int CString::CompareNoCase(const char* psz) const
{
    return strcasecmp(m_s.c_str(), psz ? psz : "");
}

void CString::MakeUpper()
{
    for (char& c : m_s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
}

void CString::MakeLower()
{
    for (char& c : m_s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
}

static bool IsSpaceByte(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void CString::TrimLeft()
{
    size_t i = 0;
    while (i < m_s.size() && IsSpaceByte(m_s[i]))
        ++i;
    m_s.erase(0, i);
}

void CString::TrimRight()
{
    while (!m_s.empty() && IsSpaceByte(m_s.back()))
        m_s.pop_back();
}

int CString::Replace(const char* pszOld, const char* pszNew)
{
    if (!pszOld || !*pszOld)
        return 0;
    const std::string from(pszOld), to(pszNew ? pszNew : "");
    int count = 0;
    for (size_t pos = m_s.find(from); pos != std::string::npos; pos = m_s.find(from, pos + to.size())) {
        m_s.replace(pos, from.size(), to);
        ++count;
    }
    return count;
}

char* CString::GetBuffer(int nMinLength)
{
    if (nMinLength > GetLength())
        m_s.resize(static_cast<size_t>(nMinLength));
    return &m_s[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strnlen(m_s.c_str(), m_s.size()));
    m_s.resize(static_cast<size_t>(std::min(nNewLength, GetLength())));
}

#ifdef _WIN32
BOOL CString::LoadString(UINT nID)
{
    // LoadStringA converts the table's UTF-16 entry to the ANSI code page on
    // every Windows (the wide functions are stubs on 98 and Me), but cannot
    // tell how long the entry is: a result that fills the buffer is tried
    // again with a larger one. An entry is at most 65535 UTF-16 units, two
    // bytes each in a double-byte code page.
    for (int size = 256; size <= 2 * 65536; size *= 2) {
        m_s.assign(static_cast<size_t>(size), '\0');
        const int n = ::LoadStringA(::GetModuleHandleA(nullptr), nID, &m_s[0], size);
        if (n <= 0) {
            m_s.clear();
            return FALSE;
        }
        if (n < size - 2) {
            m_s.resize(static_cast<size_t>(n));
            return TRUE;
        }
    }
    m_s.clear();
    return FALSE;
}
#endif
