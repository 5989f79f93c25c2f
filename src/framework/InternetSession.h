// CInternetSession: a WinINet session that opens URLs and reads them as files,
// raising CInternetException where WinINet reports an error.
#pragma once

#include "framework/String.h"

#include "framework/WinInet.h"

#include <memory>

class CInternetCall;

// Closes a WinINet handle (session, connection, request or opened URL), or
// leaves that to the call whose bounds watch it (framework/InternetCall.h).
struct InternetHandleCloser {
    CInternetCall* pCall = nullptr;
    void operator()(HINTERNET h) const;
};
typedef std::unique_ptr<void, InternetHandleCloser> CInternetHandle;

// Thrown by value; m_dwError is the WinINet or system error code.
class CInternetException {
public:
    explicit CInternetException(DWORD dwError) : m_dwError(dwError) {}
    DWORD m_dwError;
};

// The body of an opened URL.
class CInternetFile {
public:
    explicit CInternetFile(CInternetHandle hFile);

    // Bytes read (those that have arrived, at most nCount), 0 at the end of
    // the body; raises CInternetException when the transfer breaks, including
    // a body that ends before its announced length (WinINet reports a
    // dropped connection as a normal end).
    UINT Read(void* pBuf, UINT nCount);
    void Close() { m_hFile.reset(); }

private:
    CInternetHandle m_hFile;
    bool m_bLengthKnown = false;
    ULONGLONG m_nLength = 0;
    ULONGLONG m_nRead = 0;
};

class CInternetSession {
public:
    // A null agent sends the application's name, the executable's base name.
    // Within pCall, the session and what it opens are held by the call.
    explicit CInternetSession(const char* pszAgent = nullptr, DWORD_PTR dwContext = 1,
                              DWORD dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG, const char* pszProxyName = nullptr,
                              const char* pszProxyBypass = nullptr, DWORD dwFlags = 0, CInternetCall* pCall = nullptr);
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // Sends the request; raises CInternetException when no reply arrives
    // (no session, host not found, connection refused or dropped). Any HTTP
    // status counts as a reply.
    std::unique_ptr<CInternetFile> OpenURL(const char* pszURL, DWORD_PTR dwContext = 1,
                                           DWORD dwFlags = INTERNET_FLAG_TRANSFER_ASCII,
                                           const char* pszHeaders = nullptr, DWORD dwHeadersLength = 0);
    void Close() { m_hSession.reset(); }
    // A WinINet option of the session and of everything opened from it.
    BOOL SetOption(DWORD dwOption, DWORD dwValue);

    // The executable's file name without folder and extension.
    static CString AppName();

private:
    CInternetHandle Own(HINTERNET h);

    CInternetCall* m_pCall;
    CInternetHandle m_hSession;
};
