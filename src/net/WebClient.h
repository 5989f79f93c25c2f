// CWebClient: the two requests to the vendor's web service, and the rules for
// reading the join script's reply (portable, so they are tested natively).
#pragma once

#include "framework/String.h"
#include "net/HttpExchange.h"

// QueryNumber's result when no reply could be read.
#define WEB_REQUEST_FAILED 300001
// The longest install information GetInstallInfo accepts, in bytes: a line
// of short fields.
const int MAX_INSTALL_INFO = 16 * 1024;

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
    // A set hStop (may be null) ends a request at once, as a failed one.
    explicit CWebClient(HANDLE hStop = nullptr);
    virtual ~CWebClient() = default;

    // The install-information script's whole reply. FALSE when no reply
    // arrived, it broke off, it exceeds MAX_INSTALL_INFO or it took too long;
    // strReply is then left as it was.
    BOOL GetInstallInfo(CString& strReply);
    // GET of pszTarget (path and query, sent as given) on the web service;
    // the reply's number, or WEB_REQUEST_FAILED when the request got no
    // reply in time.
    int QueryNumber(const char* pszTarget);

    // The bounds of each request: connectMs and headerMs are WinINet's
    // connect and send/receive timeouts and, added up, the bound on the
    // reply's header; the low-speed rule holds for the body; totalMs bounds
    // the whole request. Tests shorten them.
    static HttpTimeouts s_timeouts;
    static CString s_strBaseAddress;     // scheme and host, no trailing "/"
    static CString s_strInstallInfoPath; // "/tl_free/install_info.php"

private:
    HANDLE m_hStop;
};
#endif
