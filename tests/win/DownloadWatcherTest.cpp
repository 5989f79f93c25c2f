// The download watcher against windows that stand in for the browser's
// download dialogs: top-level windows with the browser's titles and static
// children, owned by this thread (so it pumps while the watcher reads them).
#include "app/DownloadDialogRule.h"
#include "app/JoinWebDlg.h"
#include "app/Messages.h"
#include "BuildConfig.h"
#include "support/Browser.h"
#include "support/Program.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

// A top-level window that records WM_COMMAND and WM_SETUP_START.
class Recorder : public CWnd {
public:
    struct Arrival {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    Recorder()
    {
        SubclassWindow(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr));
    }
    ~Recorder() override { DestroyWindow(); }

    std::vector<Arrival> arrivals;
    size_t Count(UINT message) const
    {
        size_t n = 0;
        for (const Arrival& a : arrivals)
            n += a.message == message;
        return n;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMMAND || message == WM_SETUP_START)
            arrivals.push_back({message, wParam, lParam});
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// A stand-in for one of the browser's download dialogs. The title comes last,
// once the children are in place, as the watcher finds dialogs by title. It
// counts the texts read from its children: the watcher's passes over it.
class BrowserDialog : public Recorder {
public:
    BrowserDialog(const char* title, const std::vector<std::string>& children)
    {
        int y = 0;
        for (const std::string& text : children) {
            HWND hChild = ::CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 0, y += 20, 280, 20,
                                            m_hWnd, nullptr, nullptr, nullptr);
            ::SetWindowLongPtrA(hChild, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            m_childProc = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrA(hChild, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingChildProc)));
        }
        SetWindowText(title);
    }
    bool Cancelled() const { return Count(WM_COMMAND) == 1 && arrivals[0].wParam == IDCANCEL && arrivals[0].lParam == 0; }
    // Pumps until the watcher has read this dialog twice more: a whole pass
    // over every dialog shown before this call has then been judged.
    bool WaitForWholePass(DWORD ms = 2000)
    {
        const int from = m_reads;
        return PumpUntil([&] { return m_reads >= from + 2; }, ms);
    }

private:
    static LRESULT CALLBACK CountingChildProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<BrowserDialog*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        self->m_reads += message == WM_GETTEXT;
        return ::CallWindowProcA(self->m_childProc, hWnd, message, wParam, lParam);
    }
    WNDPROC m_childProc = nullptr;
    int m_reads = 0;
};

std::unique_ptr<BrowserDialog> SecurityWarning(const std::string& fourthChild)
{
    return std::make_unique<BrowserDialog>(DOWNLOAD_WARNING_TITLE, std::vector<std::string>{
        "이 파일을 실행하거나 저장하시겠습니까?", "이름:", "형식:", fourthChild, "보낸 사람:", "127.0.0.1"});
}

std::unique_ptr<BrowserDialog> PlainDownload(const std::string& secondChild)
{
    return std::make_unique<BrowserDialog>(DOWNLOAD_PLAIN_TITLE,
                                           std::vector<std::string>{"다운로드 중:", secondChild, "남은 시간:"});
}

class DownloadWatcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(page.Create(IDD_JOINWEB_DIALOG, &main));
    }
    void TearDown() override
    {
        // A watcher that recognised nothing runs until its page goes.
        if (CWinThread* pThread = page.m_pWatchThread.load()) {
            pThread->m_bAutoDelete = FALSE;
            page.DestroyWindow();
            EXPECT_TRUE(pThread->Join(2000)) << "the watcher ends with its page";
            delete pThread;
        }
    }
    bool SetupStarted(DWORD ms = 2000)
    {
        return PumpUntil([&] { return main.Count(WM_SETUP_START) > 0; }, ms);
    }

    Recorder main;
    CJoinWebDlg page{nullptr};
};

TEST_F(DownloadWatcher, SecurityWarningForTheSetupFileIsCancelledAndStartsTheInstallation)
{
    BOOL cancel = FALSE;
    page.OnFileDownload(TRUE, &cancel);
    ASSERT_NE(page.m_pWatchThread.load(), nullptr);

    auto warning = SecurityWarning("TallowFree.exe");
    ASSERT_TRUE(SetupStarted());
    EXPECT_TRUE(PumpUntil([&] { return warning->Cancelled(); }, 2000));
    ASSERT_EQ(main.Count(WM_SETUP_START), 1u);
    EXPECT_EQ(main.arrivals[0].wParam, 1u);
    EXPECT_EQ(main.arrivals[0].lParam, 0);
    EXPECT_EQ(page.m_pWatchThread.load(), nullptr) << "back to not running";
    EXPECT_EQ(cancel, FALSE);
}

TEST_F(DownloadWatcher, KeepsPollingPastOtherDownloadsUntilThePartnersPlainDialog)
{
    page.OnFileDownload(TRUE, nullptr);
    const std::string host = PARTNER_SITE_HOST;
    std::string before = host;
    before.back() = static_cast<char>(before.back() - 1);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<BrowserDialog>()>>> others = {
        {"other case", [] { return SecurityWarning("tallowfree.exe"); }},
        {"another file", [] { return SecurityWarning("setup.exe"); }},
        {"name in the third child",
         [] { return std::make_unique<BrowserDialog>(DOWNLOAD_WARNING_TITLE, std::vector<std::string>{"a", "b", "TallowFree.exe"}); }},
        {"name in the fifth child",
         [] { return std::make_unique<BrowserDialog>(DOWNLOAD_WARNING_TITLE, std::vector<std::string>{"a", "b", "c", "d", "TallowFree.exe"}); }},
        {"no children", [] { return std::make_unique<BrowserDialog>(DOWNLOAD_WARNING_TITLE, std::vector<std::string>{}); }},
        {"name past the text buffer", [] { return SecurityWarning("TallowFree.exe" + std::string(3000, ' ')); }},
        {"site sorting before the partner", [&] { return PlainDownload(before); }},
        {"site sorting after the partner", [&] { return PlainDownload(host + ".other.example"); }},
        {"another site", [] { return PlainDownload("zz.example.org"); }},
        {"plain dialog with one child",
         [&] { return std::make_unique<BrowserDialog>(DOWNLOAD_PLAIN_TITLE, std::vector<std::string>{host}); }},
    };
    for (const auto& [what, make] : others) {
        auto dialog = make();
        // Judged beside a dialog of the other kind that names nothing of ours.
        const bool warning = std::string(what).find("site") == std::string::npos &&
                             std::string(what).find("plain") == std::string::npos;
        auto sentinel = warning ? PlainDownload("zz.example.org") : SecurityWarning("setup.exe");
        EXPECT_TRUE(sentinel->WaitForWholePass()) << what;
        EXPECT_EQ(dialog->Count(WM_COMMAND), 0u) << what;
        EXPECT_EQ(main.Count(WM_SETUP_START), 0u) << what;
    }
    EXPECT_NE(page.m_pWatchThread.load(), nullptr) << "still polling";

    auto plain = PlainDownload(host);
    ASSERT_TRUE(SetupStarted());
    EXPECT_TRUE(PumpUntil([&] { return plain->Cancelled(); }, 2000));
    EXPECT_EQ(main.Count(WM_SETUP_START), 1u);
    EXPECT_EQ(page.m_pWatchThread.load(), nullptr);
}

TEST_F(DownloadWatcher, WarningForAnotherFileLeavesThePlainDialogToBeJudged)
{
    auto warning = SecurityWarning("setup.exe");
    auto plain = PlainDownload(PARTNER_SITE_HOST);
    page.OnFileDownload(FALSE, nullptr);
    ASSERT_TRUE(SetupStarted());
    EXPECT_TRUE(PumpUntil([&] { return plain->Cancelled(); }, 2000));
    EXPECT_EQ(warning->Count(WM_COMMAND), 0u);
}

TEST_F(DownloadWatcher, TwoFileDownloadEventsStartOneWatcherAndTheNextEventAFreshOne)
{
    const int threads = ThreadsOfThisProcess();
    page.OnFileDownload(TRUE, nullptr);
    CWinThread* const first = page.m_pWatchThread.load();
    page.OnFileDownload(TRUE, nullptr);
    EXPECT_EQ(page.m_pWatchThread.load(), first);

    auto warning = SecurityWarning("TallowFree.exe");
    ASSERT_TRUE(SetupStarted());
    warning.reset();
    // A second watcher would still be polling and take this one as well.
    auto again = SecurityWarning("TallowFree.exe");
    EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() <= threads; }, 2000)) << "no watcher left";
    PumpPending();
    EXPECT_EQ(again->Count(WM_COMMAND), 0u);
    EXPECT_EQ(main.Count(WM_SETUP_START), 1u);

    page.OnFileDownload(TRUE, nullptr);
    EXPECT_NE(page.m_pWatchThread.load(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return main.Count(WM_SETUP_START) == 2; }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return again->Cancelled(); }, 2000));
    EXPECT_EQ(page.m_pWatchThread.load(), nullptr);
}

// Internet Explorer 4 and 5.0 send no FileDownload: the download of our
// setup file shows only as BeforeNavigate2 to it, or as DownloadBegin.
TEST_F(DownloadWatcher, InternetExplorer4sEventsStartItToo)
{
    ULONG connections = 0;
    const ComPtr<IDispatch> sink = AdvisedSink(page.m_browser.GetControlUnknown(), &connections);
    ASSERT_TRUE(sink);
    ASSERT_TRUE(WatcherEnded(page)) << "one started by the page's own navigation ends without a dialog";
    const auto navigateTo = [&](const wchar_t* address) {
        VARIANT url;
        ::VariantInit(&url);
        url.vt = VT_BSTR;
        url.bstrVal = ::SysAllocString(address);
        VARIANTARG urlArg = Arg(VT_BYREF | VT_VARIANT);
        urlArg.pvarVal = &url;
        VARIANT_BOOL cancel = VARIANT_FALSE;
        // (pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel), last first.
        const HRESULT hr = Fire(sink.get(), DISPID_BEFORENAVIGATE2,
                                {BoolRefArg(&cancel), Arg(VT_EMPTY), Arg(VT_EMPTY), Arg(VT_EMPTY), Arg(VT_EMPTY),
                                 urlArg, DispatchArg(nullptr)});
        ::VariantClear(&url);
        return hr == S_OK && cancel == VARIANT_FALSE;
    };

    EXPECT_TRUE(navigateTo(L"http://127.0.0.1/tlfree/TLuserInfo.php?TallowFree.exe"));
    EXPECT_EQ(page.m_pWatchThread.load(), nullptr) << "another page starts nothing";

    const std::vector<std::pair<const char*, std::function<bool()>>> starts = {
        {"BeforeNavigate2 to the setup file", [&] { return navigateTo(L"http://127.0.0.1/tlfree/TallowFree.exe"); }},
        {"DownloadBegin", [&] { return Fire(sink.get(), DISPID_DOWNLOADBEGIN, {}) == S_OK; }},
    };
    size_t started = 0;
    for (const auto& [what, fire] : starts) {
        ASSERT_TRUE(fire()) << what;
        EXPECT_NE(page.m_pWatchThread.load(), nullptr) << what;
        auto warning = SecurityWarning("TallowFree.exe");
        ASSERT_TRUE(PumpUntil([&] { return main.Count(WM_SETUP_START) > started; }, 2000)) << what;
        EXPECT_TRUE(PumpUntil([&] { return warning->Cancelled(); }, 2000)) << what;
        ++started;
    }
    EXPECT_EQ(main.Count(WM_SETUP_START), 2u);
}

} // namespace
