// Texts of the string table in the process's ANSI code page.
#pragma once

#include "framework/String.h"

CString LoadResString(UINT nID);
// Entry nID with its "%1" replaced by pszArg.
CString FormatResString(UINT nID, const char* pszArg);
void AfxFormatString1(CString& rString, UINT nIDS, const char* lpsz1);
