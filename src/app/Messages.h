// Messages posted between the windows and threads of the setup assistant.
#pragma once

#include "framework/WinTypes.h"

const UINT WM_SETUP_START = WM_USER + 10;    // watcher -> main dialog: run the installation
const UINT WM_SETUP_DONE = WM_USER + 11;     // download worker -> main dialog: setup started, end
const UINT WM_START_DOWNLOAD = WM_USER + 30; // installation -> install dialog: start the worker
const UINT WM_STEP_DONE = WM_USER + 31;      // worker -> install dialog: a step's result (wParam the step, lParam its BOOL)
