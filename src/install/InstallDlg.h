// CInstallDlg: the install progress dialog and, at the same time, the data hub
// of one installation. Every step is one of its operations and every value
// passed from one step to the next is one of its members. Each group of
// operations is defined in the folder of the subsystem that owns it.
#pragma once

#include "framework/Dialog.h"
#include "framework/List.h"
#include "install/OsKindRules.h"
#include "res/resource.h"
#include "ui/BusyProgressCtrl.h"
#include "ui/SkinLabel.h"

#include <atomic>

struct HttpTimeouts;

class CInstallDlg : public CDialog {
public:
    explicit CInstallDlg(CWnd* pParent = nullptr);
    ~CInstallDlg() override;

    // --- install dialog (install/InstallDlg.cpp)
    void SetupControls();
    // A box of the installation, from either thread, captioned with the
    // product's name. Owned by this dialog while it shows, else by the main
    // window: an unowned box would open behind both top-most windows.
    int InstallMessageBox(const char* pszText, UINT nType) const;

    // --- pre-install checks (install/SystemChecks.cpp)
    int CheckSystem();
    OsKind_t GetOsKind();
    BOOL IsAdministrator();
    // Tests point the filter-driver check at a path they can open, as the driver
    // itself cannot exist under test; null restores the driver's device.
    static void SetDriverDeviceForTest(const char* pszPath);

    // --- partner cookie and conflicting-filter check (account/PartnerCookie.cpp, account/PartnerCheck.cpp)
    BOOL ReadPartnerCookie();
    CString ReadTextFile(CString path);
    // out holds nOutSize bytes; a longer file is cut to nOutSize - 1 bytes.
    int ReadFileBytes(char* out, const char* path, int nOutSize = 1024);
    // The cookie, or its message.
    BOOL CheckPartnerCookie();
    // Asks the partner library, loaded from where the installation fetched
    // it unless an earlier start loaded it already.
    BOOL CheckConflictingFilter();

    // --- account and information files (account/Account.cpp, account/InfoFiles.cpp)
    BOOL SignIn();
    BOOL SignUp();
    void GetMachineId(CString& strId);
    BOOL WritePartnerInfo();
    BOOL WriteBasicInfo();

    // --- download plan, launch, ODBC repair and downloads (net/)
    // FALSE when the system folder is unknown: nothing is planned then.
    BOOL BuildDownloadPlan();
    int LaunchSetup(CString strFile, CString strParameters, BOOL bShow);
    int LaunchSetupElevated(CString strFile, CString strParameters, BOOL bShow);
    BOOL IsOdbcDriverRegistered();
    void RegisterOdbcDriver(LPCSTR lpszPath);
    BOOL SetRegString(HKEY hRoot, LPCSTR lpszSubKey, LPCSTR lpszValueName, LPCSTR lpszValue);
    static UINT DownloadThreadProc(LPVOID pParam);
    // With vendor keys pinned, a downloaded program (held open as hFile,
    // shared with readers only) must carry a signature made with one of them.
    static bool IsFromVendor(HANDLE hFile);
    // Deletes a downloaded program that failed that check and tells the visitor.
    void RefusePayload(LPCSTR path);
    // FALSE when the library could not be fetched and stored; what to tell
    // the visitor is then in m_strPartnerLibraryFailure. Tells nobody itself:
    // it runs on the worker, and the sequence tells.
    BOOL DownloadPartnerLibrary();
    // The waits of every download, and of the partner library's in all;
    // tests shorten them.
    static HttpTimeouts s_downloadTimeouts;
    static HttpTimeouts s_partnerLibraryTimeouts;
    // Called with the setup program held open, right before it is started.
    static void (*s_pfnBeforeLaunchForTest)(const char* pszSetupPath);

    // --- installation sequence (install/InstallSequence.cpp)
    // The installation the visitor's download starts, one at a time: the
    // checks, the partner's library, the sign-in, the information files and
    // the download. What waits on the network runs on the worker, one step
    // at a time; this thread goes on with the sequence when the worker posts
    // the step's result, and keeps answering its windows meanwhile.
    void StartInstallation();
    // From the partner library on (the system and the cookie have passed):
    // fetched unless an earlier start loaded it, then asked.
    void StartPartnerCheck();
    // From the sign-in on (the checks have passed).
    void RunInstallation();
    // FALSE when the files before the join cannot be written; otherwise the
    // join has been started.
    BOOL PrepareInstallFiles();
    LRESULT OnStartDownload(WPARAM wParam, LPARAM lParam);
    // One installation at a time, from the start's first check until that
    // start fails or its download has ended. FALSE when one is running or
    // the assistant is closing; the caller then does nothing.
    bool BeginInstallation();
    void EndInstallation() { m_bInstalling = false; }
    bool IsInstalling() const { return m_bInstalling; }
    bool IsWorkerRunning() const;
    // Asks the worker to stop and waits up to ms for it, answering what it
    // sends to this thread's windows meanwhile; true when no worker runs.
    // No worker starts afterwards.
    bool StopWorker(DWORD ms);
    bool IsStopping() const;

    enum WorkerStep { STEP_NONE, STEP_PARTNER_LIBRARY, STEP_SIGN_IN, STEP_JOIN, STEP_DOWNLOAD };

    CStringList m_DownloadList{10};
    CStringList* m_pDownloadList = nullptr;
    OsKind_t OsKind = OSKIND_UNKNOWN;
    int m_bSignedIn = 0;
    CString m_strReply3;
    CString m_strAccountId;
    CString m_strProductDir;
    CString m_strServiceLabel;
    CString m_strVersionDir;
    CString m_strDataDir;
    CString m_strSDataDir;
    CString m_strPlDataDir;
    CString m_strVersionDir2000;
    CString m_strVersionDir98;
    CString m_strVersionDirVista;
    CString m_strUserId;
    HMODULE m_hPartnerLib = nullptr;
    CString m_strPartnerLibraryFailure;
    CString m_strCookieValue;
    CString m_strCookieField0;
    CString m_strCookieUserId;
    CString m_strCookieField2;
    CString m_strCookieUserName;
    CString m_strCookiePhone;
    CSkinLabel m_lblPercent;
    CBusyProgressCtrl m_ctlProgress{10, 0};

protected:
    // Runs step on the worker; a worker that cannot start ends the installation.
    void StartWorker(WorkerStep step);
    static UINT Worker(LPVOID pParam);
    void OnStepDone(WorkerStep step, BOOL bOk);
    void AfterPartnerLibrary(BOOL bFetched);
    void AfterSignIn(BOOL bSignedIn);
    void AfterJoin(BOOL bJoined);
    void CannotCreateFiles();

    std::atomic<bool> m_bInstalling{false};
    // The step the worker runs, STEP_NONE while its result is not awaited.
    WorkerStep m_step = STEP_NONE;
    // Manual-reset events: the stop request, and "no worker runs" (set while idle).
    HANDLE m_hStop;
    HANDLE m_hWorkerIdle;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnEraseBkgnd(HDC hdc);
};
