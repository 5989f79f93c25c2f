#include "install/InstallPaths.h"

#ifdef _WIN32
CInstallPaths::CInstallPaths()
{
    char windowsDir[1024] = {};
    ::GetWindowsDirectoryA(windowsDir, sizeof(windowsDir));
    Compute(windowsDir);
}

bool SystemFolder(CString& strDir)
{
    char dir[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryA(dir, sizeof(dir));
    if (n == 0 || n >= sizeof(dir))
        return false;
    strDir = dir;
    return true;
}
#endif

CInstallPaths::CInstallPaths(const CString& strWindowsDir)
{
    Compute(strWindowsDir);
}

CInstallPaths::~CInstallPaths()
{
    for (POSITION pos = m_ownedItems.GetHeadPosition(); pos;)
        delete static_cast<Item*>(m_ownedItems.GetNext(pos));
    m_ownedItems.RemoveAll();
    m_items.RemoveAll();
    m_fileList.RemoveAll();
}

namespace {

// Each path of the product: a folder the computation starts from and what follows it.
enum PathBase { WINDOWS, DOWNLOAD, INSTALLED, DRIVE };
struct PathRule {
    CString CInstallPaths::*member;
    PathBase base;
    const char* rest;
};
const PathRule kPathRules[] = {
    {&CInstallPaths::m_strProgUxp, DOWNLOAD, "\\cvuxp.exe"},
    {&CInstallPaths::m_strProgBpmCore, DOWNLOAD, "\\bpmcore.exe"},
    {&CInstallPaths::m_strProgManager, DOWNLOAD, "\\TManager.exe"},
    {&CInstallPaths::m_strProgTray, DOWNLOAD, "\\cvtray.exe"},
    {&CInstallPaths::m_strProgUninstall, DOWNLOAD, "\\TlUninstall.exe"},
    {&CInstallPaths::m_strWinBpmCoreCopy, WINDOWS, "\\bpmcore_.exe"},
    {&CInstallPaths::m_strWinPxp, WINDOWS, "\\cvpxp.exe"},
    {&CInstallPaths::m_strWinAngel, WINDOWS, "\\cvangel.exe"},
    {&CInstallPaths::m_strWinUxp, WINDOWS, "\\cvuxp.exe"},
    {&CInstallPaths::m_strWinBpmCore, WINDOWS, "\\bpmcore.exe"},
    {&CInstallPaths::m_strWinTray, WINDOWS, "\\cvtray.exe"},
    {&CInstallPaths::m_strInstalledManager, INSTALLED, "\\TManager.exe"},
    {&CInstallPaths::m_strInstalledUninstall, INSTALLED, "\\TlUninstall.exe"},
    {&CInstallPaths::m_strDriverCv, WINDOWS, "\\system32\\drivers\\cvdrv.sys"},
    {&CInstallPaths::m_strDriverFilter, WINDOWS, "\\system32\\drivers\\cxmfile.sys"},
    {&CInstallPaths::m_strDriverTsnm, WINDOWS, "\\system32\\drivers\\tsnm.sys"},
    {&CInstallPaths::m_strDriverTlpsm, WINDOWS, "\\system32\\drivers\\tlpsm.sys"},
    {&CInstallPaths::m_strDriverDProcSpy, WINDOWS, "\\system32\\drivers\\cvdprocspy.sys"},
    {&CInstallPaths::m_strDriverEProcSpy, WINDOWS, "\\system32\\drivers\\cveprocspy.sys"},
    {&CInstallPaths::m_strSetDll, WINDOWS, "\\SetDll.dll"},
    {&CInstallPaths::m_strWnpaDll, WINDOWS, "\\system32\\tlwnpa.dll"},
    {&CInstallPaths::m_strAhdDll, DOWNLOAD, "\\tlahd.dll"},
    {&CInstallPaths::m_strAhd2Dll, DOWNLOAD, "\\tlahd2.dll"},
    {&CInstallPaths::m_strLogFile, DOWNLOAD, "\\logfile.lf"},
    {&CInstallPaths::m_strXmlData, DOWNLOAD, "\\cvxml.sdm"},
    {&CInstallPaths::m_strContentList, DOWNLOAD, "\\cvxpdf.lst"},
    {&CInstallPaths::m_strContentCheck, DOWNLOAD, "\\dbverify.dat"},
    {&CInstallPaths::m_strContentCheckTemp, DOWNLOAD, "\\tmpLog\\dbverify.dat"},
    {&CInstallPaths::m_strContentListTemp, DOWNLOAD, "\\tmp_cvxpdf_lst"},
    {&CInstallPaths::m_strContentSumTemp, DOWNLOAD, "\\tmp_sum_cvxpdf_lst"},
    {&CInstallPaths::m_strSiteList, DOWNLOAD, "\\cvspdf.lst"},
    {&CInstallPaths::m_strSiteCheck, DOWNLOAD, "\\sdbverify.dat"},
    {&CInstallPaths::m_strSiteCheckTemp, DOWNLOAD, "\\tmpSiteLog\\sdbverify.dat"},
    {&CInstallPaths::m_strSiteListTemp, DOWNLOAD, "\\tmp_cvspdf_lst"},
    {&CInstallPaths::m_strBasicInfoFile, DOWNLOAD, "\\cvbinfo.dat"},
    {&CInstallPaths::m_strPasswordData, DOWNLOAD, "\\apwd.dat"},
    {&CInstallPaths::m_strEplData, DOWNLOAD, "\\tlepl.dat"},
    {&CInstallPaths::m_strEplTemp, DOWNLOAD, "\\tlepl_tmp"},
    {&CInstallPaths::m_strUserInfoFile, DOWNLOAD, "\\tluinfo.dat"},
    {&CInstallPaths::m_strTimeManagerSettings, DOWNLOAD, "\\tTimeMgrSet.dat"},
    {&CInstallPaths::m_strProVerify, DOWNLOAD, "\\proverify.dat"},
    {&CInstallPaths::m_strFlowList, DOWNLOAD, "\\tflowprd.lst"},
    {&CInstallPaths::m_strPartnerLibrary, DOWNLOAD, "\\VestaINet.dll"},
    {&CInstallPaths::m_strPartnerProgram, DOWNLOAD, "\\tlvestainet.exe"},
    {&CInstallPaths::m_strPartnerInfoFile, DOWNLOAD, "\\tlvestaInfo.dat"},
    {&CInstallPaths::m_str9xContentList, WINDOWS, "\\cvxpdf.lst"},
    {&CInstallPaths::m_str9xContentCheck, WINDOWS, "\\dbverify.dat"},
    {&CInstallPaths::m_str9xSiteList, WINDOWS, "\\cvspdf.lst"},
    {&CInstallPaths::m_str9xSiteCheck, WINDOWS, "\\sdbverify.dat"},
    {&CInstallPaths::m_str9xBasicInfoFile, WINDOWS, "\\cvbinfo.dat"},
    {&CInstallPaths::m_str9xPasswordData, WINDOWS, "\\apwd.dat"},
    {&CInstallPaths::m_str9xEplData, WINDOWS, "\\tlepl.dat"},
    {&CInstallPaths::m_str9xUserInfoFile, WINDOWS, "\\tluinfo.dat"},
    {&CInstallPaths::m_str9xTimeManagerSettings, WINDOWS, "\\tTimeMgrSet.dat"},
    {&CInstallPaths::m_str9xFlowList, WINDOWS, "\\tflowprd.lst"},
    {&CInstallPaths::m_str9xXmlData, WINDOWS, "\\cvxml.sdm"},
    {&CInstallPaths::m_strMakerDir, DRIVE, "\\Program Files\\Corvane"},
};

} // namespace

void CInstallPaths::Compute(const CString& strWindowsDir)
{
    m_strWindowsDir = strWindowsDir;
    m_strDownloadDir = strWindowsDir + "\\Downloaded Program Files\\wintl";
    const CString drive = strWindowsDir.Left(2);
    const CString installDir = drive + "\\Program Files\\Corvane\\Tallow";
    const CString* bases[] = {&m_strWindowsDir, &m_strDownloadDir, &installDir, &drive};
    for (const PathRule& rule : kPathRules)
        this->*rule.member = *bases[rule.base] + rule.rest;
    m_strInstallDir = installDir;
}
