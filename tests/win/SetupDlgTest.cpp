// The main window: hidden for its first eight seconds, then shown top-most,
// placed and painted from the skin; and the program's ways to end.
#include "app/AboutDlg.h"
#include "app/SetupDlg.h"
#include "support/Program.h"
#include "support/Screen.h"
#include "ui/SkinImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

using namespace testsupport;

namespace {

// The dialog's window once its modal run has created it (from another thread).
HWND WaitForDialog(const CSetupDlg& dlg)
{
    WaitUntil([&] { return dlg.m_hWnd != nullptr; }, 10000);
    return dlg.m_hWnd;
}

// Observations made from a second thread while the dialog runs modally on this one.
struct MainWindowFacts {
    bool titled = false;
    bool foundHidden = false;
    bool stayedHiddenWhenAsked = false;
    bool visibleAfterTimer = false;
    RECT rect{};
    bool topMost = false;
    bool hasRegion = false;
    DWORD showTicks = 0;
};

TEST(SetupDlg, HiddenForEightSecondsThenShownTopMostAndPainted)
{
    CSetupDlg dlg;
    MainWindowFacts facts;
    const DWORD start = ::GetTickCount();
    std::thread observer([&] {
        HWND h = WaitForDialog(dlg);
        // Answered only once the dialog's thread is in its message loop: past
        // its set-up, where it would have shown itself.
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
        facts.foundHidden = !::IsWindowVisible(h);
        ::ShowWindow(h, SW_SHOW); // refused: not yet allowed
        ::SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        facts.stayedHiddenWhenAsked = !::IsWindowVisible(h);
        facts.visibleAfterTimer = WaitUntil([&] { return ::IsWindowVisible(h) != FALSE; }, 12000);
        facts.showTicks = ::GetTickCount() - start;
        facts.titled = FindMainWindow(::GetCurrentProcessId()) == h;
        ::GetWindowRect(h, &facts.rect);
        facts.topMost = (::GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        RECT box;
        HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
        facts.hasRegion = ::GetWindowRgn(h, rgn) == COMPLEXREGION && ::GetRgnBox(rgn, &box) && box.right >= MAIN_WIDTH && box.bottom >= MAIN_HEIGHT;
        ::DeleteObject(rgn);
        WaitPainted(h);

        // On screen: the header band shows at the window's top left.
        const Capture shot = CaptureScreenRect(RECT{facts.rect.left, facts.rect.top, facts.rect.left + MAIN_WIDTH, 768});
        shot.SaveBmp(ArtifactPath("main-window-screen.bmp"));
        ::PostMessageA(h, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    const INT_PTR result = dlg.DoModal();
    observer.join();

    EXPECT_TRUE(facts.titled) << "the taskbar title";
    EXPECT_TRUE(facts.foundHidden);
    EXPECT_TRUE(facts.stayedHiddenWhenAsked);
    ASSERT_TRUE(facts.visibleAfterTimer);
    EXPECT_GE(facts.showTicks, 7800u);
    EXPECT_EQ(facts.rect.left, (::GetSystemMetrics(SM_CXSCREEN) - MAIN_WIDTH) / 2);
    EXPECT_EQ(facts.rect.top, (::GetSystemMetrics(SM_CYSCREEN) - CENTRING_HEIGHT) / 2);
    EXPECT_EQ(facts.rect.right - facts.rect.left, MAIN_WIDTH);
    EXPECT_EQ(facts.rect.bottom - facts.rect.top, MAIN_HEIGHT);
    if (::GetSystemMetrics(SM_CXSCREEN) == 1024 && ::GetSystemMetrics(SM_CYSCREEN) == 768) {
        EXPECT_EQ(facts.rect.left, 136);
        EXPECT_EQ(facts.rect.top, 194);
    }
    EXPECT_TRUE(facts.topMost);
    EXPECT_TRUE(facts.hasRegion);
    EXPECT_EQ(result, IDCANCEL) << "Esc ends the modal run";
}

// The whole skin as the window paints it, compared with the decoded images.
TEST(SetupDlg, PaintsHeaderAndFooterBands)
{
    CSetupDlg dlg;
    Capture painted;
    std::thread observer([&] {
        HWND h = WaitForDialog(dlg);
        HDC hdcScreen = ::GetDC(nullptr);
        HDC mem = ::CreateCompatibleDC(hdcScreen);
        HBITMAP bmp = ::CreateCompatibleBitmap(hdcScreen, MAIN_WIDTH, MAIN_HEIGHT);
        HGDIOBJ old = ::SelectObject(mem, bmp);
        ::SendMessageA(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0);
        ::SelectObject(mem, old);
        painted = CaptureBitmap(bmp);
        ::DeleteObject(bmp);
        ::DeleteDC(mem);
        ::ReleaseDC(nullptr, hdcScreen);
        painted.SaveBmp(ArtifactPath("main-window.bmp"));
        ::PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_BTN_CLOSE, BN_CLICKED), 0);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK) << "the close button ends the modal run with IDOK";
    observer.join();
    ASSERT_EQ(painted.width, MAIN_WIDTH);

    const Capture header = CaptureBitmap(g_skinImages[SKIN_HEADER].m_bitmap);
    const Capture footer = CaptureBitmap(g_skinImages[SKIN_FOOTER].m_bitmap);
    int mismatches = 0;
    for (int y = 0; y < HEADER_HEIGHT - 1; y += 3)
        for (int x = 0; x < MAIN_WIDTH - 1; x += 5)
            mismatches += ColourDistance(painted.At(x, y), header.At(x + 1, y + 1)) > 2;
    for (int y = 0; y < FOOTER_HEIGHT; y += 3)
        for (int x = 0; x < MAIN_WIDTH - 1; x += 5)
            mismatches += ColourDistance(painted.At(x, FOOTER_TOP + y), footer.At(x + 1, y)) > 2;
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(painted.At(MAIN_WIDTH - 1, 100), 0xFFFFFFu) << "the header is drawn one pixel left: its last column is white";
    EXPECT_EQ(painted.At(300, 400), 0xFFFFFFu) << "the middle is white";
}

TEST(SetupDlg, AboutBoxOnSystemCommandsSixteenToThirtyOne)
{
    CSetupDlg dlg;
    std::vector<std::string> captions;
    std::thread observer([&] {
        HWND h = WaitForDialog(dlg);
        for (WPARAM cmd : {WPARAM(16), WPARAM(31), WPARAM(32)}) {
            ::PostMessageA(h, WM_SYSCOMMAND, cmd, 0);
            HWND about = nullptr;
            WaitUntil([&] { return (about = ::FindWindowW(nullptr, L"TallowFreeInstall 정보")) != nullptr; }, 1500);
            captions.push_back(about ? "about" : "none");
            if (about) {
                ::PostMessageA(about, WM_COMMAND, IDOK, 0);
                WaitUntil([&] { return !::IsWindow(about); }, 10000);
            }
        }
        ::PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL) << "close from the taskbar menu";
    observer.join();
    EXPECT_EQ(captions, (std::vector<std::string>{"about", "about", "none"}));
}

// The real program: every way to close it ends the process with exit code 0.
struct Program {
    PROCESS_INFORMATION pi{};
    HWND main = nullptr;
    bool Start()
    {
        STARTUPINFOA si{sizeof(si)};
        std::string cmd = "\"" + ProgramBesideThis("TallowFreeInstall.exe") + "\"";
        if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        return WaitUntil([&] { return (main = FindMainWindow(pi.dwProcessId)) != nullptr; }, 15000);
    }
    DWORD WaitExit(DWORD ms)
    {
        DWORD code = 0xDEAD;
        if (::WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(pi.hProcess, &code);
        else
            ::TerminateProcess(pi.hProcess, 99);
        return code;
    }
    ~Program()
    {
        if (pi.hProcess) {
            ::TerminateProcess(pi.hProcess, 99);
            ::CloseHandle(pi.hProcess);
            ::CloseHandle(pi.hThread);
        }
    }
};

TEST(Program, EndsWithExitCodeZeroOnEscCloseButtonAndTaskbarClose)
{
    {
        Program p;
        ASSERT_TRUE(p.Start());
        ::PostMessageA(p.main, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(p.WaitExit(10000), 0u) << "Esc";
    }
    {
        Program p;
        ASSERT_TRUE(p.Start());
        ::SendMessageA(::GetDlgItem(p.main, IDC_BTN_CLOSE), BM_CLICK, 0, 0);
        EXPECT_EQ(p.WaitExit(10000), 0u) << "close button";
    }
    {
        Program p;
        ASSERT_TRUE(p.Start());
        ::PostMessageA(p.main, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(p.WaitExit(10000), 0u) << "taskbar menu close";
    }
}

} // namespace
