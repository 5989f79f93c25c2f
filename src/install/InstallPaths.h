// CInstallPaths: every folder and file of the product, computed from the
// Windows folder. Each operation that needs a path builds its own object.
#pragma once

#include "framework/List.h"

class CInstallPaths {
public:
    // From the running system's Windows folder (Windows only).
    CInstallPaths();
    // From a given Windows folder without a trailing backslash, e.g. "C:\WINDOWS".
    explicit CInstallPaths(const CString& strWindowsDir);
    virtual ~CInstallPaths();
    CInstallPaths(const CInstallPaths&) = delete;
    CInstallPaths& operator=(const CInstallPaths&) = delete;

    // An element of m_ownedItems, deleted with the table.
    struct Item {
        virtual ~Item() = default;
    };

    CString m_strProgUxp;            // download folder\cvuxp.exe
    CString m_strProgBpmCore;        // download folder\bpmcore.exe
    CString m_strProgManager;        // download folder\TManager.exe
    CString m_strProgTray;           // download folder\cvtray.exe
    CString m_strProgUninstall;      // download folder\TlUninstall.exe
    CString m_strWinBpmCoreCopy;     // Windows\bpmcore_.exe
    CString m_strWinPxp;             // Windows\cvpxp.exe
    CString m_strWinAngel;           // Windows\cvangel.exe
    CString m_strWinUxp;             // Windows\cvuxp.exe
    CString m_strWinBpmCore;         // Windows\bpmcore.exe
    CString m_strWinTray;            // Windows\cvtray.exe
    CString m_strInstalledManager;   // drive\Program Files\Corvane\Tallow\TManager.exe
    CString m_strInstalledUninstall; // drive\Program Files\Corvane\Tallow\TlUninstall.exe
    CString m_strDriverCv;           // Windows\system32\drivers\cvdrv.sys
    CString m_strDriverFilter;       // Windows\system32\drivers\cxmfile.sys
    CString m_strDriverTsnm;
    CString m_strDriverTlpsm;
    CString m_strDriverDProcSpy;
    CString m_strDriverEProcSpy;
    CString m_strSetDll;             // Windows\SetDll.dll
    CString m_strWnpaDll;            // Windows\system32\tlwnpa.dll
    CString m_strAhdDll;             // download folder\tlahd.dll
    CString m_strAhd2Dll;
    CString m_strLogFile;
    CString m_strXmlData;
    CString m_strContentList;        // download folder\cvxpdf.lst
    CString m_strContentCheck;       // download folder\dbverify.dat
    CString m_strContentCheckTemp;
    CString m_strContentListTemp;
    CString m_strContentSumTemp;
    CString m_strSiteList;           // download folder\cvspdf.lst
    CString m_strSiteCheck;          // download folder\sdbverify.dat
    CString m_strSiteCheckTemp;
    CString m_strSiteListTemp;
    CString m_strBasicInfoFile;      // download folder\cvbinfo.dat
    CString m_strUnused;             // never assigned
    CString m_strPasswordData;
    CString m_strEplData;
    CString m_strEplTemp;
    CString m_strUserInfoFile;       // download folder\tluinfo.dat
    CString m_strTimeManagerSettings;
    CString m_strProVerify;
    CStringList m_fileList{10};
    CString m_strFlowList;           // download folder\tflowprd.lst
    CString m_strPartnerLibrary;     // download folder\VestaINet.dll
    CString m_strPartnerProgram;
    CString m_strPartnerInfoFile;    // download folder\tlvestaInfo.dat
    CString m_str9xContentList;      // Windows 9x locations of the product's files
    CString m_str9xContentCheck;
    CString m_str9xSiteList;
    CString m_str9xSiteCheck;
    CString m_str9xBasicInfoFile;
    CString m_str9xPasswordData;
    CString m_str9xEplData;
    CString m_str9xUserInfoFile;
    CString m_str9xTimeManagerSettings;
    CString m_str9xFlowList;
    CString m_str9xXmlData;
    CString m_strWindowsDir;         // the Windows folder itself
    CString m_strDownloadDir;        // Windows\Downloaded Program Files\wintl
    CPtrList m_items{10};
    CPtrList m_ownedItems{10};       // owns its Item elements
    CString m_strMakerDir;           // drive\Program Files\Corvane
    CString m_strInstallDir;         // drive\Program Files\Corvane\Tallow

private:
    void Compute(const CString& strWindowsDir);
};

#ifdef _WIN32
// The system folder without a trailing backslash; false when Windows cannot
// tell it (or not within MAX_PATH), where a caller would otherwise build
// relative paths.
bool SystemFolder(CString& strDir);
#endif
