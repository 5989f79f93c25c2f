#include "install/DownloadPlan.h"

namespace {

// The five lists in plan order, each under the one name it has everywhere.
const char* const kDataPaths[] = {"data/", "data/", "tlfree_sdata/", "tlfree_sdata/", "pldata/"};
const char* const kDataNames[] = {"cvxpdf.lst", "dbverify.dat", "cvspdf.lst", "sdbverify.dat", "tflowprd.lst"};
const int kDataLists = 5;

} // namespace

bool IsSafePathSegment(const CString& segment)
{
    const int length = segment.GetLength();
    if (length < 1 || length > 64 || segment == "." || segment == "..")
        return false;
    for (int i = 0; i < length; ++i) {
        const char c = segment[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
              c == '-'))
            return false;
    }
    return true;
}

bool AreSafeSegments(const PlanSegments& segments)
{
    return IsSafePathSegment(segments.productDir) && IsSafePathSegment(segments.versionDir) &&
           IsSafePathSegment(segments.dataDir) && IsSafePathSegment(segments.sDataDir) &&
           IsSafePathSegment(segments.plDataDir);
}

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
    const CString* const dirs[] = {&segments.dataDir, &segments.dataDir, &segments.sDataDir, &segments.sDataDir,
                                   &segments.plDataDir};
    for (int i = 0; i < kDataLists; ++i)
        list.AddTail(host + "/" + kDataPaths[i] + *dirs[i] + "/" + kDataNames[i]);
}

CString OdbcLibraryUrl(const CString& host)
{
    return host + "/mdb/ODBCJT32.DLL";
}

DownloadKind PlanEntryKind(int index)
{
    if (index == 0)
        return DownloadKind::Setup;
    if (index >= 1 && index <= kDataLists)
        return DownloadKind::DataFile;
    return index == kDataLists + 1 ? DownloadKind::OdbcLibrary : DownloadKind::Unknown;
}

bool IsUsableTempFolder(const CString& temp)
{
    // Room for "tl" and sixteen digits, a backslash and "Tempcr.exe" within MAX_PATH.
    const int kMaxLength = 260 - 32;
    const int length = temp.GetLength();
    const bool drive = length >= 3 && temp[1] == ':' && temp[2] == '\\' &&
                       ((temp[0] >= 'A' && temp[0] <= 'Z') || (temp[0] >= 'a' && temp[0] <= 'z'));
    const bool share = length >= 5 && temp[0] == '\\' && temp[1] == '\\';
    return (drive || share) && length <= kMaxLength && temp[length - 1] == '\\';
}

CString PlanLocalPath(int index, DWORD osKind, const DownloadFolders& folders)
{
    switch (PlanEntryKind(index)) {
    case DownloadKind::Setup:
        return folders.temp + "Tempcr.exe";
    case DownloadKind::DataFile:
        return (IsWin9xOsKind(osKind) ? folders.windows : folders.productDir) + "\\" + kDataNames[index - 1];
    case DownloadKind::OdbcLibrary:
        return folders.system + "\\odbcjt32.dll";
    default:
        return CString();
    }
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
    text.Format("%d%%", position * 100 / PROGRESS_UNITS);
    return text;
}
