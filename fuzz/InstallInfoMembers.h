// What ParseInstallInfo fills, without the install dialog around it.
#pragma once

#include "framework/String.h"

struct InstallInfoMembers {
    CString m_strUserId = "id";
    CString m_strAccountId, m_strReply3, m_strServiceLabel, m_strProductDir, m_strVersionDir98;
    CString m_strVersionDir2000, m_strVersionDirVista, m_strDataDir, m_strSDataDir, m_strPlDataDir, m_strVersionDir;
    DWORD OsKind = 0;
};
