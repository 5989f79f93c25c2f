#include "account/Account.h"

#include "install/OsKindRules.h"

CString ChooseVersionDir(DWORD osKind, const CString& dir98, const CString& dir2000, const CString& dirVista)
{
    if (UsesWin98Setup(osKind))
        return dir98;
    if (IsVistaOrLater(osKind))
        return dirVista;
    return dir2000;
}

CString PercentEncode(const CString& value)
{
    static const char hex[] = "0123456789ABCDEF";
    CString encoded;
    for (const char ch : value.str()) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            byte == '-' || byte == '.' || byte == '_' || byte == '~') {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 0x0F];
        }
    }
    return encoded;
}

CString BuildJoinTarget(const CString& userId, const CString& machineId, const CString& userName,
                        const CString& phone)
{
    return "tlfree/join.php?UserId=" + PercentEncode(userId) + "&MacAddr=" + PercentEncode(machineId) +
           "&UserName=" + PercentEncode(userName) + "&Phone=" + PercentEncode(phone) + "&Cooper=gvx";
}

CString MachineIdFromAddress(const BYTE* address)
{
    CString id;
    id.Format("%02X%02X%02X%02X%02X%02X", address[0], address[1], address[2], address[3], address[4], address[5]);
    return id;
}

CString MachineIdFromTime(int month, int day, int hour, int minute, int milliseconds)
{
    CString id;
    id.Format("%02d%02d%02d%02d%04d", month, day, hour, minute, milliseconds);
    return id;
}

#ifdef _WIN32
#include "account/InfoFiles.h"
#include "install/DownloadPlan.h"
#include "install/InstallDlg.h"
#include "net/WebClient.h"

#include "framework/SystemLibrary.h"

#include <iphlpapi.h>

#include <vector>

BOOL CInstallDlg::SignIn()
{
    CWebClient client(m_hStop);
    CString reply;
    if (!client.GetInstallInfo(reply) || reply.IsEmpty())
        return FALSE;
    // Folders the download plan cannot walk safely make the reply no sign-in.
    return ParseInstallInfo(reply, *this) &&
           AreSafeSegments({m_strProductDir, m_strVersionDir, m_strDataDir, m_strSDataDir, m_strPlDataDir});
}

BOOL CInstallDlg::SignUp()
{
    CString machineId;
    GetMachineId(machineId);
    const CString target = BuildJoinTarget(m_strCookieUserId, machineId, m_strCookieUserName, m_strCookiePhone);

    CWebClient client(m_hStop);
    const int number = client.QueryNumber(target);
    if (number == WEB_REQUEST_FAILED)
        return FALSE;
    // Any other answer, 0 included, is the service's join number.
    return WriteInfoFile(InfoFilePath(OsKind, "tluinfo.dat"),
                         BuildUserInfoRecord(m_strAccountId, m_strReply3, number, machineId), TRUE);
}

void CInstallDlg::GetMachineId(CString& strId)
{
    // The IP helper is missing on NT 4.0: the time stamp stands in there, as
    // it does on a machine without an adapter.
    static decltype(&::GetAdaptersInfo) getAdaptersInfo = nullptr;
    static const bool haveAdapters = ResolveFunction(LoadSystemLibrary("iphlpapi.dll"), "GetAdaptersInfo",
                                                     getAdaptersInfo);
    ULONG size = sizeof(IP_ADAPTER_INFO);
    std::vector<BYTE> buffer(size);
    DWORD rc = ERROR_NOT_SUPPORTED;
    if (haveAdapters) {
        rc = getAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
        if (rc == ERROR_BUFFER_OVERFLOW) {
            buffer.resize(size);
            rc = getAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
        }
    }
    strId.Empty();
    if (rc == ERROR_SUCCESS) {
        // The first adapter, whatever its kind: the id only has to stay the
        // same on this machine.
        strId = MachineIdFromAddress(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data())->Address);
        return;
    }
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    strId = MachineIdFromTime(now.wMonth, now.wDay, now.wHour, now.wMinute, now.wMilliseconds);
}
#endif
