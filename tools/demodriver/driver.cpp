// Plays the visitor in the demo: starts the setup assistant, waits for its
// window, starts the installation as the browser's download would, answers
// and reports message boxes, photographs the main window and the install
// dialog in the middle of the download, and prints a one-line verdict.
//
//   demodriver PROGRAM.exe OUTDIR [SECONDS]
#include "app/Messages.h"
#include "support/Program.h"
#include "support/Screen.h"

#include <cstdio>
#include <string>

using namespace testsupport;

namespace {

DWORD g_start = 0;

void Say(const char* fmt, const std::string& detail = "")
{
    printf("[%5.1fs] ", (::GetTickCount() - g_start) / 1000.0);
    printf(fmt, detail.c_str());
    printf("\n");
    fflush(stdout);
}

// Share of the progress bar (at 108,234 in the install dialog, 382 x 15) that is green.
double GreenShare(const Capture& dialog)
{
    int green = 0, all = 0;
    for (int x = 110; x < 488; ++x) {
        const DWORD c = dialog.At(x, 241);
        green += ColourDistance(c, 0x6DCC30) < 40; // RGB(109, 204, 48)
        ++all;
    }
    return static_cast<double>(green) / all;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: demodriver PROGRAM.exe OUTDIR [SECONDS]\n");
        return 2;
    }
    const std::string out = std::string(argv[2]) + "\\";
    const DWORD limitMs = (argc > 3 ? atoi(argv[3]) : 120) * 1000;
    g_start = ::GetTickCount();

    STARTUPINFOA si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::string cmd = std::string("\"") + argv[1] + "\"";
    if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        Say("VERDICT: FAILED (the program did not start)");
        return 1;
    }
    Say("started the setup assistant");
    MsgBoxWatcher boxes(IDOK, pi.dwProcessId);

    HWND hMain = nullptr, hInstall = nullptr;
    bool shown = false, started = false, dialogSeen = false, midShot = false;
    size_t boxesSeen = 0;
    std::string lastPercent;
    DWORD exitCode = STILL_ACTIVE;
    while (::GetTickCount() - g_start < limitMs) {
        if (::WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0) {
            ::GetExitCodeProcess(pi.hProcess, &exitCode);
            break;
        }
        hMain = FindMainWindow(pi.dwProcessId);
        hInstall = FindInstallDialog(pi.dwProcessId);
        if (!shown && hMain && ::IsWindowVisible(hMain)) {
            shown = true;
            RECT rc;
            ::GetWindowRect(hMain, &rc);
            Say("main window shown at (%s), 752 x 801, top-most",
                std::to_string(rc.left) + ", " + std::to_string(rc.top));
            ::Sleep(500);
            CaptureScreenRect(rc).SaveBmp(out + "main-window.bmp");
            Say("saved main-window.bmp");
            ::PostMessageA(hMain, WM_SETUP_START, 1, 0);
            started = true;
            Say("the visitor's download of TallowFree.exe starts the installation (WM_SETUP_START)");
        }
        for (auto all = boxes.Boxes(); boxesSeen < all.size(); ++boxesSeen) {
            std::string text = all[boxesSeen].text;
            for (char& c : text)
                c = (c == '\r' || c == '\n') ? ' ' : c;
            Say("message box: %s", all[boxesSeen].caption + " | " + text);
        }
        if (started && hInstall && ::IsWindowVisible(hInstall)) {
            if (!dialogSeen) {
                dialogSeen = true;
                Say("install dialog shown");
            }
            RECT rc;
            ::GetWindowRect(hInstall, &rc);
            const Capture shot = CaptureScreenRect(rc);
            const double share = GreenShare(shot);
            const std::string percent = std::to_string(static_cast<int>(share * 100 + 0.5)) + "%";
            if (percent != lastPercent && share > 0) {
                lastPercent = percent;
                Say("download progress about %s", percent);
            }
            if (!midShot && share > 0.05 && share < 0.95) {
                midShot = true;
                shot.SaveBmp(out + "install-dialog.bmp");
                Say("saved install-dialog.bmp in the middle of the download");
            }
        }
    }
    if (exitCode == STILL_ACTIVE) {
        ::TerminateProcess(pi.hProcess, 1);
        Say("VERDICT: FAILED (the program did not end within %s s)", std::to_string(limitMs / 1000));
        return 1;
    }
    Say("the setup assistant ended with exit code %s", std::to_string(exitCode));
    const bool ok = shown && dialogSeen && midShot && exitCode == 0 && boxes.Boxes().empty();
    Say(ok ? "VERDICT: PASSED (window shown, installation ran to the end, setup program started)"
           : "VERDICT: FAILED (%s)",
        std::string(shown ? "" : "main window never shown; ") + (dialogSeen ? "" : "install dialog never shown; ") +
            (midShot ? "" : "no mid-download picture; ") + (boxes.Boxes().empty() ? "" : "a message box appeared; ") +
            (exitCode == 0 ? "" : "non-zero exit code"));
    return ok ? 0 : 1;
}
