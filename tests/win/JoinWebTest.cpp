// The sign-up page: the hosted browser, its events through the control's own
// connection point (Wine fires neither FileDownload nor DocumentComplete, so
// the test fires them there), and the page's place in the main window.
#include "app/JoinWebDlg.h"
#include "app/SetupDlg.h"
#include "BuildConfig.h"
#include "support/Browser.h"
#include "support/Program.h"
#include "support/Screen.h"
#include "support/Standin.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <atomic>
#include <thread>

using namespace testsupport;

namespace {

RECT RectIn(HWND hWnd, HWND hParent)
{
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Where the page places its browser: shifted up and left, past the site's own
// header and margin, so that the sign-up form fills the page.
const RECT kBrowserInPage{-205, -266, 1000, 1000};

// The innermost window of the page (what a click into the page hits).
HWND PageWindow(HWND hBrowser)
{
    HWND h = hBrowser;
    while (HWND child = ::GetWindow(h, GW_CHILD))
        h = child;
    return h;
}

// A page in a stand-in main window, placed as the main dialog places it.
class JoinWeb : public ::testing::Test {
protected:
    void SetUp() override
    {
        main.SubclassWindow(::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, MAIN_WIDTH, MAIN_HEIGHT,
                                              nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(page.Create(IDD_JOINWEB_DIALOG, &main));
        page.MoveWindow(0, PAGE_TOP, MAIN_WIDTH, PAGE_HEIGHT);
        page.ShowWindow(SW_SHOW);
        ASSERT_NE(page.m_browser.GetControlUnknown(), nullptr);
        sink = AdvisedSink(page.m_browser.GetControlUnknown(), &connections);
        ASSERT_TRUE(sink);
    }
    void TearDown() override
    {
        // Nothing recognised: the watcher polls until its page goes.
        sink.reset();
        if (CWinThread* pThread = page.m_pWatchThread.load()) {
            pThread->m_bAutoDelete = FALSE;
            page.DestroyWindow();
            EXPECT_TRUE(pThread->Join(2000)) << "the watcher ends with its page";
            delete pThread;
        }
        main.DestroyWindow();
    }

    CWnd main;
    CJoinWebDlg page{nullptr};
    ComPtr<IDispatch> sink;
    ULONG connections = 0;
};

TEST_F(JoinWeb, BrowserTakesThePlaceholdersPlaceAndNavigatesToTheSignUpPage)
{
    StandinGet("/_control/reset");
    CJoinWebDlg fresh(nullptr);
    ASSERT_TRUE(fresh.Create(IDD_JOINWEB_DIALOG, &main));

    const HWND hBrowser = fresh.m_browser.m_hWnd;
    ASSERT_NE(hBrowser, nullptr);
    EXPECT_EQ(fresh.GetDlgItem(IDC_EXPLORER), hBrowser) << "the browser, not the placeholder, has id 1002";
    EXPECT_EQ(::GetWindow(hBrowser, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(::GetWindow(::GetWindow(fresh.m_hWnd, GW_CHILD), GW_HWNDNEXT), nullptr) << "the only child";
    EXPECT_TRUE(RectIn(hBrowser, fresh.m_hWnd) == kBrowserInPage);
    const HWND hControl = ::GetWindow(hBrowser, GW_CHILD);
    ASSERT_NE(hControl, nullptr);
    EXPECT_TRUE(RectIn(hControl, hBrowser) == (RECT{0, 0, 1205, 1266})) << "the control follows its window";

    char expected[200];
    std::snprintf(expected, sizeof(expected), "http://%s:%d/tlfree/TLuserInfo.php", WEB_SERVICE_HOST, WEB_SERVICE_PORT);
    ComPtr<IWebBrowser2> browser;
    ASSERT_TRUE(SUCCEEDED(ComPtr<IUnknown>(fresh.m_browser.GetControlUnknown()).As(IID_IWebBrowser2, browser)));
    BSTR location = nullptr;
    ASSERT_EQ(browser->get_LocationURL(&location), S_OK);
    EXPECT_EQ(Utf8(location ? location : L""), expected);
    ::SysFreeString(location);

    EXPECT_TRUE(PumpUntil(
        [] { return StandinGet("/_control/requests").find(R"("method": "GET", "path": "/tlfree/TLuserInfo.php")") != std::string::npos; },
        5000))
        << StandinGet("/_control/requests");
}

TEST_F(JoinWeb, FileDownloadEventStartsTheWatcherAndLeavesCancelAlone)
{
    EXPECT_EQ(connections, 1u);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(Fire(sink.get(), DISPID_FILEDOWNLOAD, {BoolRefArg(&cancel), BoolArg(VARIANT_TRUE)}), S_OK);
    CWinThread* const watcher = page.m_pWatchThread.load();
    EXPECT_NE(watcher, nullptr);
    EXPECT_EQ(cancel, VARIANT_FALSE);

    cancel = VARIANT_TRUE;
    EXPECT_EQ(Fire(sink.get(), DISPID_FILEDOWNLOAD, {BoolRefArg(&cancel), BoolArg(VARIANT_FALSE)}), S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_EQ(page.m_pWatchThread.load(), watcher) << "one watcher at a time";
}

TEST_F(JoinWeb, MalformedFileDownloadStartsNothingAndTheCancelOnlyFormIsUnderstood)
{
    ASSERT_TRUE(WatcherEnded(page));
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(Fire(sink.get(), DISPID_FILEDOWNLOAD, {}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Fire(sink.get(), DISPID_FILEDOWNLOAD, {BoolArg(VARIANT_FALSE), BoolArg(VARIANT_TRUE)}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Fire(sink.get(), DISPID_FILEDOWNLOAD, {BoolRefArg(nullptr), BoolArg(VARIANT_TRUE)}), DISP_E_TYPEMISMATCH);
    DISPPARAMS lying{nullptr, nullptr, 2, 0};
    EXPECT_EQ(sink->Invoke(DISPID_FILEDOWNLOAD, IID_NULL, 0, DISPATCH_METHOD, &lying, nullptr, nullptr, nullptr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(sink->Invoke(DISPID_FILEDOWNLOAD, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(page.m_pWatchThread.load(), nullptr);

    EXPECT_EQ(Fire(sink.get(), DISPID_FILEDOWNLOAD, {BoolRefArg(&cancel)}), S_OK);
    EXPECT_NE(page.m_pWatchThread.load(), nullptr);
    EXPECT_EQ(cancel, VARIANT_FALSE);
}

TEST_F(JoinWeb, DocumentCompleteWithoutADocumentOnlyRepaints)
{
    ComPtr<IDispatch> control;
    ASSERT_TRUE(SUCCEEDED(ComPtr<IUnknown>(page.m_browser.GetControlUnknown()).As(IID_IDispatch, control)));
    VARIANT url;
    ::VariantInit(&url);
    VARIANTARG urlArg = Arg(VT_BYREF | VT_VARIANT);
    urlArg.pvarVal = &url;
    const std::vector<std::pair<const char*, std::vector<VARIANTARG>>> events = {
        {"the browser, no document yet", {urlArg, DispatchArg(control.get())}},
        {"no browser", {urlArg, DispatchArg(nullptr)}},
        {"something that is not a browser", {urlArg, DispatchArg(sink.get())}},
        {"no arguments", {}},
    };
    EXPECT_TRUE(WaitPainted(page.m_hWnd));
    for (const auto& [what, args] : events) {
        page.Invalidate(FALSE);
        ASSERT_TRUE(::GetUpdateRect(page.m_hWnd, nullptr, FALSE)) << what;
        EXPECT_EQ(Fire(sink.get(), DISPID_DOCUMENTCOMPLETE, args), S_OK) << what;
        EXPECT_FALSE(::GetUpdateRect(page.m_hWnd, nullptr, FALSE)) << what << ": painted at once";
    }
    EXPECT_TRUE(page.IsWindowVisible());
    EXPECT_EQ(Fire(sink.get(), DISPID_DOWNLOADBEGIN, {}), S_OK);
    EXPECT_EQ(Fire(sink.get(), DISPID_NAVIGATECOMPLETE2, {}), DISP_E_MEMBERNOTFOUND);
}

// What reaches the page's own window and the main window, counted in front
// of their procedures.
std::atomic<int> g_pageLeftClicks{0};
std::atomic<int> g_pageRightClicks{0};
std::atomic<int> g_mainLeavesTopMost{0};
// Posted to the page after what it must ignore: once it arrives, all of that has been handled.
const WPARAM kSentinel = 0x5E47;
std::atomic<int> g_pageSentinels{0};
WNDPROC g_pagePrevProc = nullptr;
WNDPROC g_mainPrevProc = nullptr;

LRESULT CALLBACK CountingPageProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN)
        ++g_pageLeftClicks;
    if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK)
        ++g_pageRightClicks;
    if (message == WM_NULL && wParam == kSentinel)
        ++g_pageSentinels;
    return ::CallWindowProcA(g_pagePrevProc, hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CountingMainProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGING) {
        const auto* pPos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!(pPos->flags & SWP_NOZORDER) && pPos->hwndInsertAfter == HWND_NOTOPMOST)
            ++g_mainLeavesTopMost;
    }
    return ::CallWindowProcA(g_mainPrevProc, hWnd, message, wParam, lParam);
}

WNDPROC Subclass(HWND hWnd, WNDPROC proc)
{
    return reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

bool TopMost(HWND hWnd)
{
    return (::GetWindowLongA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The real main dialog runs modally here, so input goes through its own
// message loop and the walk from the page up to the main window. Under Wine
// a window that owns another (the install dialog) does not keep the top-most
// style, so the main window's move out of the top-most band is seen as the
// request it receives.
TEST(JoinWebInMainWindow, KeysAndRightClicksStayInThePageLeftClickTakesTopMostAway)
{
    CSetupDlg dlg;
    struct {
        RECT pageInMain{};
        RECT browserInPage{};
        bool visible = false;
        DWORD headerPixel = 0;
        bool pageOnTop = false;
        bool mainAliveAfterKeys = false;
        bool pageShownAfterKeys = false;
        int leftTopMostAfterKeys = -1;
        bool leftTopMostAfterClick = false;
        bool topMostAfterClick = true;
    } seen;
    std::thread observer([&] {
        // The page's window exists before the browser it creates and places
        // as it initialises (seconds later on a loaded machine).
        PumpUntil(
            [&] {
                const HWND page = dlg.m_hWnd && dlg.m_pJoinWebDlg ? dlg.m_pJoinWebDlg->m_hWnd : nullptr;
                const HWND browser = page ? ::GetDlgItem(page, IDC_EXPLORER) : nullptr;
                return browser && RectIn(browser, page) == kBrowserInPage;
            },
            30000);
        const HWND hMain = dlg.m_hWnd;
        const HWND hPage = dlg.m_pJoinWebDlg->m_hWnd;
        const HWND hBrowser = ::GetDlgItem(hPage, IDC_EXPLORER);
        seen.visible = PumpUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }, 12000);
        WaitPainted(hMain);
        seen.pageInMain = RectIn(hPage, hMain);
        seen.browserInPage = RectIn(hBrowser, hPage);
        RECT rc;
        ::GetWindowRect(hMain, &rc);
        const Capture shot = CaptureScreenRect(RECT{rc.left, rc.top, rc.right, std::min<LONG>(rc.bottom, ::GetSystemMetrics(SM_CYSCREEN))});
        shot.SaveBmp(ArtifactPath("main-window-with-page.bmp"));
        seen.headerPixel = shot.width ? shot.At(20, 20) : 0xFFFFFF;
        const HWND hHit = ::WindowFromPoint(POINT{rc.left + 376, rc.top + 400});
        seen.pageOnTop = hHit == hBrowser || ::IsChild(hBrowser, hHit);

        const HWND hInside = PageWindow(hBrowser);
        g_pagePrevProc = Subclass(hInside, &CountingPageProc);
        g_mainPrevProc = Subclass(hMain, &CountingMainProc);
        ::SetWindowPos(hMain, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN)}) {
            ::PostMessageA(hInside, WM_KEYDOWN, key, 1);
            ::PostMessageA(hInside, WM_KEYUP, key, 0xC0000001);
        }
        ::PostMessageA(hPage, WM_COMMAND, IDCANCEL, 0);
        ::PostMessageA(hPage, WM_COMMAND, IDOK, 0);
        ::PostMessageA(hInside, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 50));
        ::PostMessageA(hInside, WM_RBUTTONUP, 0, MAKELPARAM(50, 50));
        ::PostMessageA(hInside, WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(50, 50));
        ::PostMessageA(hInside, WM_NULL, kSentinel, 0);
        PumpUntil([] { return g_pageSentinels > 0; }, 5000);
        seen.mainAliveAfterKeys = ::IsWindowVisible(hMain) != FALSE;
        seen.pageShownAfterKeys = ::IsWindowVisible(hPage) != FALSE;
        seen.leftTopMostAfterKeys = g_mainLeavesTopMost;

        ::PostMessageA(hInside, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 400));
        ::PostMessageA(hInside, WM_LBUTTONUP, 0, MAKELPARAM(300, 400));
        seen.leftTopMostAfterClick = PumpUntil([&] { return g_mainLeavesTopMost > 0 && g_pageLeftClicks > 0; }, 2000);
        seen.topMostAfterClick = TopMost(hMain);
        Subclass(hInside, g_pagePrevProc);
        Subclass(hMain, g_mainPrevProc);
        ::PostMessageA(hMain, WM_COMMAND, MAKEWPARAM(IDC_BTN_CLOSE, BN_CLICKED), 0);
    });
    const INT_PTR result = dlg.DoModal();
    observer.join();

    EXPECT_TRUE(seen.pageInMain == (RECT{0, PAGE_TOP, MAIN_WIDTH, PAGE_TOP + PAGE_HEIGHT}));
    EXPECT_TRUE(seen.browserInPage == kBrowserInPage);
    ASSERT_TRUE(seen.visible);
    EXPECT_GT(ColourDistance(seen.headerPixel, 0xFFFFFF), 30) << "the header band shows above the page";
    EXPECT_TRUE(seen.pageOnTop) << "the browser is what shows between the bands";
    EXPECT_TRUE(seen.mainAliveAfterKeys) << "Esc inside the page does not end the program";
    EXPECT_TRUE(seen.pageShownAfterKeys) << "nor close the page";
    EXPECT_EQ(seen.leftTopMostAfterKeys, 0) << "keys and right clicks leave the main window where it is";
    EXPECT_EQ(g_pageRightClicks, 0) << "right clicks never reach the page";
    EXPECT_TRUE(seen.leftTopMostAfterClick);
    EXPECT_EQ(g_mainLeavesTopMost, 1);
    EXPECT_FALSE(seen.topMostAfterClick);
    EXPECT_EQ(g_pageLeftClicks, 1) << "the left click goes on into the page";
    EXPECT_EQ(result, IDOK) << "ended by the close button, not by Esc";
}

} // namespace
