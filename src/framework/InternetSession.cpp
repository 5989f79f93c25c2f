#include "framework/InternetSession.h"

#include "framework/InternetCall.h"

#include <cstdlib>

void InternetHandleCloser::operator()(HINTERNET h) const
{
    if (pCall)
        pCall->Forget(h);
    else
        WinInet().InternetCloseHandle(h);
}

CInternetFile::CInternetFile(CInternetHandle hFile) : m_hFile(std::move(hFile))
{
    char length[32] = {};
    DWORD dwSize = sizeof(length) - 1;
    if (WinInet().HttpQueryInfoA(m_hFile.get(), HTTP_QUERY_CONTENT_LENGTH, length, &dwSize, nullptr)) {
        char* end = nullptr;
        m_nLength = strtoull(length, &end, 10);
        m_bLengthKnown = end != length && *end == '\0';
    }
}

UINT CInternetFile::Read(void* pBuf, UINT nCount)
{
    // What has arrived, as a socket hands it: WinINet would otherwise wait
    // for all nCount bytes, however slowly they trickle in.
    DWORD dwAvailable = 0;
    if (m_hFile && WinInet().InternetQueryDataAvailable(m_hFile.get(), &dwAvailable, 0, 0) && dwAvailable > 0 &&
        dwAvailable < nCount)
        nCount = dwAvailable;
    DWORD dwRead = 0;
    if (!m_hFile || !WinInet().InternetReadFile(m_hFile.get(), pBuf, nCount, &dwRead))
        throw CInternetException(m_hFile ? ::GetLastError() : ERROR_INVALID_HANDLE);
    m_nRead += dwRead;
    if (dwRead == 0 && nCount > 0 && m_bLengthKnown && m_nRead < m_nLength)
        throw CInternetException(ERROR_INTERNET_CONNECTION_ABORTED);
    return dwRead;
}

CInternetSession::CInternetSession(const char* pszAgent, DWORD_PTR, DWORD dwAccessType, const char* pszProxyName,
                                   const char* pszProxyBypass, DWORD dwFlags, CInternetCall* pCall)
    : m_pCall(pCall)
{
    const CString agent = pszAgent ? CString(pszAgent) : AppName();
    m_hSession = Own(WinInet().InternetOpenA(agent, dwAccessType, pszProxyName, pszProxyBypass, dwFlags));
}

CInternetHandle CInternetSession::Own(HINTERNET h)
{
    return m_pCall ? m_pCall->Hold(h) : CInternetHandle(h);
}

std::unique_ptr<CInternetFile> CInternetSession::OpenURL(const char* pszURL, DWORD_PTR dwContext, DWORD dwFlags,
                                                         const char* pszHeaders, DWORD dwHeadersLength)
{
    if (!m_hSession)
        throw CInternetException(ERROR_INTERNET_NOT_INITIALIZED);
    HINTERNET hFile = WinInet().InternetOpenUrlA(m_hSession.get(), pszURL, pszHeaders, pszHeaders ? dwHeadersLength : 0,
                                         dwFlags, dwContext);
    if (!hFile)
        throw CInternetException(::GetLastError());
    CInternetHandle file = Own(hFile);
    // The call's bound passed meanwhile: the handle went at once.
    if (!file)
        throw CInternetException(ERROR_INTERNET_OPERATION_CANCELLED);
    return std::make_unique<CInternetFile>(std::move(file));
}

BOOL CInternetSession::SetOption(DWORD dwOption, DWORD dwValue)
{
    return m_hSession && WinInet().InternetSetOptionA(m_hSession.get(), dwOption, &dwValue, sizeof(dwValue));
}

CString CInternetSession::AppName()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    CString name(path);
    name = name.Mid(name.ReverseFind('\\') + 1);
    const int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}
