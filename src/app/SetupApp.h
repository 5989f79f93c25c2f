#pragma once

#include "framework/App.h"

class CSetupApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
