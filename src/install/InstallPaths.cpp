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

void CInstallPaths::Compute(const CString& strWindowsDir)
{
    m_strWindowsDir = strWindowsDir;
    m_strDownloadDir = strWindowsDir + "\\Downloaded Program Files\\wintl";
    const CString& win = m_strWindowsDir;
    const CString& dl = m_strDownloadDir;
    const CString drive = strWindowsDir.Left(2);
    const CString installDir = drive + "\\Program Files\\Corvane\\Tallow";

    m_strProgUxp = dl + "\\cvuxp.exe";
    m_strProgBpmCore = dl + "\\bpmcore.exe";
    m_strProgManager = dl + "\\TManager.exe";
    m_strProgTray = dl + "\\cvtray.exe";
    m_strProgUninstall = dl + "\\TlUninstall.exe";
    m_strWinBpmCoreCopy = win + "\\bpmcore_.exe";
    m_strWinPxp = win + "\\cvpxp.exe";
    m_strWinAngel = win + "\\cvangel.exe";
    m_strWinUxp = win + "\\cvuxp.exe";
    m_strWinBpmCore = win + "\\bpmcore.exe";
    m_strWinTray = win + "\\cvtray.exe";
    m_strInstalledManager = installDir + "\\TManager.exe";
    m_strInstalledUninstall = installDir + "\\TlUninstall.exe";
    m_strDriverCv = win + "\\system32\\drivers\\cvdrv.sys";
    m_strDriverFilter = win + "\\system32\\drivers\\cxmfile.sys";
    m_strDriverTsnm = win + "\\system32\\drivers\\tsnm.sys";
    m_strDriverTlpsm = win + "\\system32\\drivers\\tlpsm.sys";
    m_strDriverDProcSpy = win + "\\system32\\drivers\\cvdprocspy.sys";
    m_strDriverEProcSpy = win + "\\system32\\drivers\\cveprocspy.sys";
    m_strSetDll = win + "\\SetDll.dll";
    m_strWnpaDll = win + "\\system32\\tlwnpa.dll";
    m_strAhdDll = dl + "\\tlahd.dll";
    m_strAhd2Dll = dl + "\\tlahd2.dll";
    m_strLogFile = dl + "\\logfile.lf";
    m_strXmlData = dl + "\\cvxml.sdm";
    m_strContentList = dl + "\\cvxpdf.lst";
    m_strContentCheck = dl + "\\dbverify.dat";
    m_strContentCheckTemp = dl + "\\tmpLog\\dbverify.dat";
    m_strContentListTemp = dl + "\\tmp_cvxpdf_lst";
    m_strContentSumTemp = dl + "\\tmp_sum_cvxpdf_lst";
    m_strSiteList = dl + "\\cvspdf.lst";
    m_strSiteCheck = dl + "\\sdbverify.dat";
    m_strSiteCheckTemp = dl + "\\tmpSiteLog\\sdbverify.dat";
    m_strSiteListTemp = dl + "\\tmp_cvspdf_lst";
    m_strBasicInfoFile = dl + "\\cvbinfo.dat";
    m_strPasswordData = dl + "\\apwd.dat";
    m_strEplData = dl + "\\tlepl.dat";
    m_strEplTemp = dl + "\\tlepl_tmp";
    m_strUserInfoFile = dl + "\\tluinfo.dat";
    m_strTimeManagerSettings = dl + "\\tTimeMgrSet.dat";
    m_strProVerify = dl + "\\proverify.dat";
    m_strFlowList = dl + "\\tflowprd.lst";
    m_strPartnerLibrary = dl + "\\VestaINet.dll";
    m_strPartnerProgram = dl + "\\tlvestainet.exe";
    m_strPartnerInfoFile = dl + "\\tlvestaInfo.dat";
    m_str9xContentList = win + "\\cvxpdf.lst";
    m_str9xContentCheck = win + "\\dbverify.dat";
    m_str9xSiteList = win + "\\cvspdf.lst";
    m_str9xSiteCheck = win + "\\sdbverify.dat";
    m_str9xBasicInfoFile = win + "\\cvbinfo.dat";
    m_str9xPasswordData = win + "\\apwd.dat";
    m_str9xEplData = win + "\\tlepl.dat";
    m_str9xUserInfoFile = win + "\\tluinfo.dat";
    m_str9xTimeManagerSettings = win + "\\tTimeMgrSet.dat";
    m_str9xFlowList = win + "\\tflowprd.lst";
    m_str9xXmlData = win + "\\cvxml.sdm";
    m_strMakerDir = drive + "\\Program Files\\Corvane";
    m_strInstallDir = installDir;
}
