#include "SetupApp.h"

CSetupApp theApp;
