// CWebClient: the two requests to the vendor's web service, and the rules for
// reading the join script's reply (portable, so they are tested natively).
#pragma once

#include "framework/String.h"

// QueryNumber's result when no reply could be read.
#define WEB_REQUEST_FAILED 300001
// The longest install information GetInstallInfo accepts, in bytes.
const int MAX_INSTALL_INFO = 1024 * 1024;

// The reply of a numbered request as it arrives chunk by chunk: chunks are
// kept while the total stays below 1024 bytes; the first chunk that reaches
// 1024 ends the reply and is dropped. A NUL byte in a chunk ends its text.
class CBoundedReply {
public:
    enum { LIMIT = 1024 };

    // FALSE when the reply has ended (count <= 0, or the limit was reached).
    bool Add(const char* pChunk, int nCount);
    const char* Text() const { return m_text; }

private:
    char m_text[LIMIT] = {};
    int m_nTotal = 0;
};

// The number in the second "|"-separated field (atoi rules); 0 when the reply
// has no second field, or its first field is empty.
int NumberFromReply(const CString& reply);

#ifdef _WIN32
class CWebClient {
public:
    CWebClient();
    virtual ~CWebClient() = default;

    // The install-information script's whole reply. FALSE when no reply
    // arrived, it broke off or it exceeds MAX_INSTALL_INFO; strReply is then
    // left as it was.
    BOOL GetInstallInfo(CString& strReply);
    // GET of pszTarget (path and query, sent as given) on the web service;
    // the reply's number, or WEB_REQUEST_FAILED when the request got no reply.
    int QueryNumber(const char* pszTarget);

    // WinINet's connect, send and receive timeouts of both requests, and
    // their low-speed window (a kilobyte in it, or the reply fails); tests
    // shorten them.
    static DWORD s_dwTimeoutMs;
    static DWORD s_dwLowSpeedWindowMs;
    static CString s_strBaseAddress;     // scheme and host, no trailing "/"
    static CString s_strInstallInfoPath; // "/tl_free/install_info.php"
};
#endif
