// Placeholder declaration; the label control is being written (see install dialog work).
#pragma once

#include "Sync.h"
#include "Wnd.h"

class CSkinLabel : public CWnd {
public:
    void SetText(const char* pszText);
};
