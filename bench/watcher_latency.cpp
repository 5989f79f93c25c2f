// How long the download watcher takes from the browser's security warning
// appearing to the main window being told to start the installation. A
// benchmark, not a test: it prints the figures and judges nothing (a time
// bound under Wine on shared cores would only measure the machine). The
// warning appears at a different point of the watcher's 100 ms poll each
// round, as it would for a visitor.
//   watcherbench [ROUNDS]
#include "app/DownloadDialogRule.h"
#include "app/JoinWebDlg.h"
#include "app/Messages.h"
#include "support/Program.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace testsupport;

namespace {

double NowMs()
{
    LARGE_INTEGER t, f;
    ::QueryPerformanceCounter(&t);
    ::QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The main window: notes when WM_SETUP_START arrives.
class MainWindow : public CWnd {
public:
    double startedAtMs = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_SETUP_START)
            startedAtMs = NowMs();
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// The browser's security warning for our setup file (the name is its 4th child).
HWND ShowSecurityWarning()
{
    HWND hWarning = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    const char* const children[] = {"", "", "", PRODUCT_SETUP_FILE, "", "127.0.0.1"};
    int y = 0;
    for (const char* text : children)
        ::CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE, 0, y += 20, 280, 20, hWarning, nullptr, nullptr,
                          nullptr);
    ::SetWindowTextA(hWarning, DOWNLOAD_WARNING_TITLE);
    return hWarning;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    MainWindow main;
    main.SubclassWindow(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr));
    CJoinWebDlg page(nullptr);
    if (!page.Create(IDD_JOINWEB_DIALOG, &main)) {
        fprintf(stderr, "the sign-up page was not created\n");
        return 1;
    }
    std::vector<double> latencies;
    unsigned phase = 12345; // a fixed sequence: runs compare
    for (int i = 0; i < rounds; ++i) {
        main.startedAtMs = 0;
        page.OnFileDownload(TRUE, nullptr);
        phase = phase * 1103515245u + 12345u;
        // The watcher polling a while before the dialog appears.
        PumpUntil([&] { return false; }, 20 + (phase >> 16) % 100);
        const double shownAtMs = NowMs();
        HWND hWarning = ShowSecurityWarning();
        const bool started = PumpUntil([&] { return main.startedAtMs != 0; }, 5000);
        ::DestroyWindow(hWarning);
        if (!started) {
            fprintf(stderr, "round %d: the watcher did not recognise the warning within 5 s\n", i + 1);
            return 1;
        }
        latencies.push_back(main.startedAtMs - shownAtMs);
        PumpUntil([&] { return page.m_pWatchThread.load() == nullptr; }, 5000);
    }
    std::sort(latencies.begin(), latencies.end());
    printf("download watcher, warning shown to installation started, %d rounds: min %.1f ms, median %.1f ms, "
           "90th %.1f ms, max %.1f ms\n",
           rounds, latencies.front(), latencies[latencies.size() / 2], latencies[latencies.size() * 9 / 10],
           latencies.back());
    page.DestroyWindow();
    main.DestroyWindow();
    return 0;
}
