#include "framework/ResString.h"

CString LoadResString(UINT nID)
{
    CString s;
    s.LoadString(nID);
    return s;
}

void AfxFormatString1(CString& rString, UINT nIDS, const char* lpsz1)
{
    rString = LoadResString(nIDS);
    const int at = rString.Find("%1");
    if (at >= 0)
        rString = rString.Left(at) + (lpsz1 ? lpsz1 : "") + rString.Mid(at + 2);
}

CString FormatResString(UINT nID, const char* pszArg)
{
    CString s;
    AfxFormatString1(s, nID, pszArg);
    return s;
}
