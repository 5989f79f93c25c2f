// The rules of sign-in and sign-up: reading the install information, the join
// request and the machine id. The requests themselves are CInstallDlg::SignIn,
// SignUp and GetMachineId (account/Account.cpp).
#pragma once

#include "framework/String.h"

// The setup version segment of the running Windows family: 98/Me
// (UsesWin98Setup), Vista (IsVistaOrLater), or the 2000/XP family (the rest).
CString ChooseVersionDir(DWORD osKind, const CString& dir98, const CString& dir2000, const CString& dirVista);

// Stores the "|"-separated install information in the account members of d
// (the install dialog, or anything with the same members) as the fields are
// met. TRUE when all twelve separators were found; on FALSE the members
// stored before the missing one keep their new values.
template <class Dlg>
BOOL ParseInstallInfo(CString reply, Dlg& d)
{
    int bar = reply.Find('|');
    if (bar < 0)
        return FALSE;
    d.m_strAccountId = d.m_strUserId;
    reply = reply.Mid(bar + 1); // field 1 is never looked at

    // Fields 2 to 12; field 4 only tells that the service has a label.
    CString* const members[] = {
        nullptr,                  // 2
        &d.m_strReply3,           // 3
        nullptr,                  // 4
        &d.m_strProductDir,       // 5
        nullptr,                  // 6
        &d.m_strVersionDir98,     // 7
        &d.m_strVersionDir2000,   // 8
        &d.m_strVersionDirVista,  // 9
        &d.m_strDataDir,          // 10
        &d.m_strSDataDir,         // 11
        &d.m_strPlDataDir,        // 12
    };
    for (int field = 2; field <= 12; ++field) {
        bar = reply.Find('|');
        if (bar < 0)
            return FALSE;
        if (field == 4)
            d.m_strServiceLabel = "tlfree";
        else if (CString* member = members[field - 2])
            *member = reply.Left(bar);
        reply = reply.Mid(bar + 1);
    }
    d.m_strVersionDir = ChooseVersionDir(d.OsKind, d.m_strVersionDir98, d.m_strVersionDir2000, d.m_strVersionDirVista);
    return TRUE;
}

// Every byte outside letters, digits and "-._~" as "%XX", so a value reaches
// the join script as exactly its bytes, whatever it holds.
CString PercentEncode(const CString& value);

// The join script's request target, path first, without a leading "/".
CString BuildJoinTarget(const CString& userId, const CString& machineId, const CString& userName,
                        const CString& phone);

// Twelve upper-case hex digits of the first six address bytes.
CString MachineIdFromAddress(const BYTE* address);
// Month, day, hour, minute (two digits each) and milliseconds (four).
CString MachineIdFromTime(int month, int day, int hour, int minute, int milliseconds);
