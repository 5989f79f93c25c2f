#include "app/SetupApp.h"

CSetupApp theApp;
