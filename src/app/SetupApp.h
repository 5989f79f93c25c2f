#pragma once

#include "App.h"

class CSetupApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
