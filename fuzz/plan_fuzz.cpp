// The web service's install information, any bytes, through to the files the
// worker would write: reply -> sign-in's judgement -> plan -> requests ->
// local paths. Whatever the reply holds, each entry keeps the kind its place
// in the plan gives it and its file stays in that kind's folder under that
// kind's name; a reply the sign-in accepts gives requests whose every path
// segment is a plain name.
//   make fuzz (or fuzz/run.sh SECONDS BUILD_DIR); seeds in fuzz/corpus/plan_fuzz/
#include "account/Account.h"
#include "InstallInfoMembers.h"
#include "install/DownloadPlan.h"
#include "net/HttpExchange.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const DownloadFolders kFolders{"C:\\TEMP\\tl0123456789ABCDEF\\", "C:\\WINDOWS\\system32", "C:\\WINDOWS",
                               "C:\\WINDOWS\\Downloaded Program Files\\wintl"};
const char* const kLists[] = {"cvxpdf.lst", "dbverify.dat", "cvspdf.lst", "sdbverify.dat", "tflowprd.lst"};

void Check(bool rule)
{
    if (!rule)
        std::abort();
}

// What the place says: its kind and its whole local path.
void CheckPlace(int index, DWORD osKind, const CString& local)
{
    const std::string path = local.str();
    const std::string lists = (IsWin9xOsKind(osKind) ? kFolders.windows : kFolders.productDir).str() + "\\";
    switch (PlanEntryKind(index)) {
    case DownloadKind::Setup:
        Check(index == 0 && path == kFolders.temp.str() + "Tempcr.exe");
        break;
    case DownloadKind::DataFile:
        Check(index >= 1 && index <= 5 && path == lists + kLists[index - 1]);
        break;
    case DownloadKind::OdbcLibrary:
        Check(index == 6 && path == kFolders.system.str() + "\\odbcjt32.dll");
        break;
    default:
        Check(false);
    }
}

// "GET /a/b/c HTTP/1.1\r\nHost: h\r\n\r\n" with plain names only, the last the one asked for.
void CheckRequest(const CString& url, const char* lastName)
{
    CString host, path;
    SplitUrl(url, host, path);
    Check(host == "down.example.com");
    const std::string request = BuildHttpRequest(path, host, 80).str();
    const std::string tail = " HTTP/1.1\r\nHost: down.example.com\r\n\r\n";
    Check(request.compare(0, 5, "GET /") == 0 && request.size() > 5 + tail.size() &&
          request.compare(request.size() - tail.size(), tail.size(), tail) == 0);
    const std::string target = request.substr(4, request.size() - 4 - tail.size());
    std::vector<std::string> segments;
    for (size_t at = 1, slash; at <= target.size(); at = slash + 1) {
        slash = target.find('/', at);
        if (slash == std::string::npos)
            slash = target.size();
        segments.push_back(target.substr(at, slash - at));
    }
    for (const std::string& segment : segments)
        Check(IsSafePathSegment(CString(segment)));
    Check(segments.back() == lastName);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    InstallInfoMembers m;
    m.OsKind = data[0] < 128 ? data[0] : OSKIND_VISTA + data[0];
    const CString reply(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1));
    const bool parsed = ParseInstallInfo(reply, m) != FALSE;
    const PlanSegments segments{m.m_strProductDir, m.m_strVersionDir, m.m_strDataDir, m.m_strSDataDir,
                                m.m_strPlDataDir};
    const bool signedIn = parsed && AreSafeSegments(segments);

    // The plan as the worker gets it, with the driver at its end, made even
    // of what the sign-in would refuse: places must not care.
    CStringList plan;
    AppendPlanUrls(plan, "down.example.com", m.OsKind, segments);
    plan.AddTail(OdbcLibraryUrl("down.example.com"));
    Check(plan.GetCount() == 7);
    int index = 0;
    for (POSITION pos = plan.GetHeadPosition(); pos; ++index) {
        const CString url = plan.GetNext(pos);
        CheckPlace(index, m.OsKind, PlanLocalPath(index, m.OsKind, kFolders));
        if (!signedIn)
            continue;
        const char* setup = UsesWin98Setup(m.OsKind)   ? "TallowSetup98.exe"
                            : IsVistaOrLater(m.OsKind) ? "TLFreeSetupVista.exe"
                                                       : "TLFreeSetup.exe";
        CheckRequest(url, index == 0 ? setup : index <= 5 ? kLists[index - 1] : "ODBCJT32.DLL");
    }
    return 0;
}
