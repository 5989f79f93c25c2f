// Waiting on this process's own windows and on other programs: message pumps
// with deadlines, and the windows of a started program.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

// Polls pred() (without pumping messages) until it holds or ms pass.
bool WaitUntil(const std::function<bool()>& pred, DWORD ms);
// Pumps messages until pred() holds or ms pass; returns pred().
bool PumpUntil(const std::function<bool()>& pred, DWORD ms);
// Handles what is already queued for this thread, sent and posted, so that
// everything posted before the call has been dispatched when it returns.
void PumpPending();

// The last top-level window of process pid for which match() holds, or null.
HWND FindProcessWindow(DWORD pid, const std::function<bool(HWND)>& match);
// The setup assistant's main window (by its taskbar title) and install dialog (by its size).
HWND FindMainWindow(DWORD pid);
HWND FindInstallDialog(DWORD pid);
// The path of a program in the same folder as this one.
std::string ProgramBesideThis(const char* pszName);
// How many threads this process has now.
int ThreadsOfThisProcess();
// Runs this test program again, with all the tests of gtestFilter (whatever
// share of a sharded run this one has) and the environment variable set
// (tests that need what only a new process has, such as the prefix's
// settings, skip themselves without it), pumping this thread meanwhile. The
// child's exit code; ~0 when it did not start or end within ms.
DWORD RunTestsInChild(const std::string& gtestFilter, const char* variable, DWORD ms);

} // namespace testsupport
