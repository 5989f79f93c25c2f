#include "DownloadPlan.h"

void AppendPlanUrls(CStringList& list, const CString& host, DWORD osKind, const PlanSegments& segments)
{
    const char* osFolder = "win2000/";
    const char* setupName = "TLFreeSetup.exe";
    if (UsesWin98Setup(osKind)) {
        osFolder = "win98/";
        setupName = "TallowSetup98.exe";
    } else if (IsVistaOrLater(osKind)) {
        osFolder = "winvista/";
        setupName = "TLFreeSetupVista.exe";
    }
    list.AddTail(host + "/" + segments.productDir + "/" + osFolder + segments.versionDir + "/" + setupName);
    list.AddTail(host + "/data/" + segments.dataDir + "/cvxpdf.lst");
    list.AddTail(host + "/data/" + segments.dataDir + "/dbverify.dat");
    list.AddTail(host + "/tlfree_sdata/" + segments.sDataDir + "/cvspdf.lst");
    list.AddTail(host + "/tlfree_sdata/" + segments.sDataDir + "/sdbverify.dat");
    list.AddTail(host + "/pldata/" + segments.plDataDir + "/tflowprd.lst");
}

CString OdbcLibraryUrl(const CString& host)
{
    return host + "/mdb/ODBCJT32.DLL";
}

CString LocalDownloadPath(const CString& url, DWORD osKind, const DownloadFolders& folders, DownloadKind& kind)
{
    if (url.Find("TLFreeSetup.exe") >= 0 || url.Find("TLFreeSetupVista.exe") >= 0 ||
        url.Find("TallowSetup98.exe") >= 0) {
        kind = DownloadKind::Setup;
        return folders.temp + "Tempcr.exe";
    }
    if (url.Find("ODBCJT32.DLL") >= 0) {
        kind = DownloadKind::OdbcLibrary;
        return folders.system + "\\odbcjt32.dll";
    }
    kind = DownloadKind::DataFile;
    const CString name = url.Mid(url.ReverseFind('/') + 1);
    return (IsWin9xOsKind(osKind) ? folders.windows : folders.productDir) + "\\" + name;
}

int ProgressPosition(int base, int share, uint64_t received, uint64_t length)
{
    if (length == 0 || received >= length)
        return base + share;
    return base + static_cast<int>(received * static_cast<uint64_t>(share) / length);
}

CString PercentText(int position)
{
    CString text;
    text.Format("%d%%", position * 100 / 400);
    return text;
}
