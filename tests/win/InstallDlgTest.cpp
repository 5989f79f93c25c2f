// The install dialog as the main window creates it: hidden, centred and
// top-most, painted from its background and panel images, with the progress
// bar and percentage label that appear once the visitor has signed in.
#include "install/DownloadPlan.h"
#include "install/InstallDlg.h"
#include "support/Program.h"
#include "support/Screen.h"
#include "ui/SkinImage.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testsupport;

namespace {

const RECT kPanel{11, 115, 449, 286};
const RECT kBar{108, 234, 490, 249};
const RECT kLabel{168, 266, 200, 281};

bool Inside(const RECT& rc, int x, int y)
{
    return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
}

// Pixels (every third) that differ from the background image with the panel
// image over it, outside the given areas.
int Mismatches(const Capture& shot, int panelSlot, std::initializer_list<RECT> skip = {})
{
    const Capture bg = CaptureBitmap(g_skinImages[SKIN_INSTALL_BG].m_bitmap);
    const Capture panel = CaptureBitmap(g_skinImages[panelSlot].m_bitmap);
    int mismatches = 0;
    for (int y = 0; y < 314; y += 3)
        for (int x = 0; x < 520; x += 3) {
            bool skipped = false;
            for (const RECT& rc : skip)
                skipped = skipped || Inside(rc, x, y);
            if (skipped)
                continue;
            const DWORD expected = Inside(kPanel, x, y) ? panel.At(x - kPanel.left, y - kPanel.top) : bg.At(x, y);
            mismatches += ColourDistance(shot.At(x, y), expected) > 2;
        }
    return mismatches;
}

// Pumps as the program's own loops do, so the dialog sees its keys first.
bool PumpDialogUntil(const std::function<bool()>& pred, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (!pred() && ::GetTickCount() - start < ms) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!AfxPreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return pred();
}

class InstallDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!g_skinImages[SKIN_INSTALL_BG].m_bitmap.GetSafeHandle())
            LoadSkinImages();
    }
    void SetUp() override
    {
        // Stands in for the main window, which owns the dialog.
        HWND hMain = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(mainWnd.SubclassWindow(hMain));
        ASSERT_TRUE(dlg.Create(IDD_INSTALL_DIALOG, &mainWnd));
    }
    void TearDown() override
    {
        dlg.DestroyWindow();
        mainWnd.DestroyWindow();
        PumpPending();
    }

    Capture ShowAndCapture()
    {
        dlg.ShowWindow(SW_SHOW);
        dlg.Invalidate();
        EXPECT_TRUE(WaitPainted(dlg.m_hWnd));
        RECT rc;
        dlg.GetWindowRect(&rc);
        return CaptureScreenRect(rc);
    }
    void SignIn()
    {
        // What the installation does once the sign-in has succeeded.
        dlg.m_bSignedIn = 1;
        dlg.m_lblPercent.ShowWindow(SW_SHOW);
        dlg.m_ctlProgress.ShowWindow(SW_SHOW);
    }

    CWnd mainWnd;
    CInstallDlg dlg;
};

TEST_F(InstallDlgTest, CreatedHiddenCentredAndTopMostWithItsControlsSetUp)
{
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_EQ(::GetWindow(dlg.m_hWnd, GW_OWNER), mainWnd.m_hWnd);
    EXPECT_TRUE(::GetWindowLongA(dlg.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rc;
    dlg.GetWindowRect(&rc);
    EXPECT_EQ(rc.left, (::GetSystemMetrics(SM_CXSCREEN) - 520) / 2);
    EXPECT_EQ(rc.top, (::GetSystemMetrics(SM_CYSCREEN) - 314) / 2);
    EXPECT_EQ(rc.right - rc.left, 520);
    EXPECT_EQ(rc.bottom - rc.top, 314);
    if (::GetSystemMetrics(SM_CXSCREEN) == 1024 && ::GetSystemMetrics(SM_CYSCREEN) == 768) {
        EXPECT_EQ(rc.left, 252);
        EXPECT_EQ(rc.top, 227);
    }

    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.GetDlgItem(IDC_PROGRESS)), &dlg.m_ctlProgress);
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.GetDlgItem(IDC_PERCENT)), &dlg.m_lblPercent);
    EXPECT_FALSE(::GetWindowLongA(dlg.m_ctlProgress, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(::GetWindowLongA(dlg.m_lblPercent, GWL_STYLE) & WS_VISIBLE);
    for (const auto& [hWnd, expected] : {std::pair{dlg.m_ctlProgress.m_hWnd, kBar}, {dlg.m_lblPercent.m_hWnd, kLabel}}) {
        RECT placed;
        ::GetWindowRect(hWnd, &placed);
        ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_TRUE(::EqualRect(&placed, &expected)) << placed.left << "," << placed.top;
    }

    const CBusyProgressCtrl& bar = dlg.m_ctlProgress;
    EXPECT_EQ(bar.m_nNumBlocks, 1);
    EXPECT_DOUBLE_EQ(bar.m_dBlockWidth, 381.0);
    EXPECT_EQ(bar.m_nMode, CBusyProgressCtrl::MODE_PROGRESS);
    EXPECT_EQ(bar.m_nAnimType, CBusyProgressCtrl::ANIM_WRAP_FORWARD);
    EXPECT_EQ(bar.m_nBusyFill, CBusyProgressCtrl::FILL_ONE_BLOCK) << "a busy fill has no effect in progress mode";
    EXPECT_EQ(bar.m_nInterval, 250);
    EXPECT_EQ(bar.m_nUpper, PROGRESS_UNITS);
    EXPECT_EQ(bar.m_pThread, nullptr);
    EXPECT_EQ(dlg.m_lblPercent.GetText(), "0%");
    EXPECT_EQ(dlg.m_lblPercent.m_strFaceName, "굴림");
    EXPECT_TRUE(dlg.m_lblPercent.m_bBold && dlg.m_lblPercent.m_bAlignLeft);
}

TEST_F(InstallDlgTest, BarFillsInGreenAsTheDownloadProceeds)
{
    CBusyProgressCtrl& bar = dlg.m_ctlProgress;
    const DWORD outline = Pixel(RGB(50, 90, 135)), block = Pixel(RGB(222, 233, 243)), green = Pixel(RGB(109, 204, 48));
    auto at = [&](int pos) {
        bar.m_nPos = pos; // as the download worker writes it
        return RenderToBitmap(382, 15, [&](HDC hdc) { bar.Draw(hdc); });
    };
    const Capture empty = at(0);
    EXPECT_EQ(empty.At(0, 7), outline);
    EXPECT_EQ(empty.At(380, 7), outline);
    EXPECT_EQ(empty.At(381, 7), 0xFFFFFFu) << "trailing gap";
    EXPECT_EQ(empty.At(1, 7), block);
    EXPECT_EQ(empty.At(200, 0), outline);

    const Capture half = at(PROGRESS_UNITS / 2);
    EXPECT_EQ(half.At(1, 7), green);
    EXPECT_EQ(half.At(190, 7), green);
    EXPECT_EQ(half.At(192, 7), block);
    EXPECT_EQ(half.At(378, 7), block);
    EXPECT_EQ(half.At(100, 0), outline) << "the fill stays inside the outline";

    const Capture full = at(PROGRESS_UNITS);
    EXPECT_EQ(full.At(1, 7), green);
    EXPECT_EQ(full.At(379, 13), green);
    EXPECT_EQ(full.At(380, 7), outline);
    EXPECT_EQ(full.At(200, 14), outline);
}

TEST_F(InstallDlgTest, PanelAndControlsFollowTheSignIn)
{
    const Capture waiting = ShowAndCapture();
    waiting.SaveBmp(ArtifactPath("install-dialog-waiting.bmp"));
    EXPECT_EQ(Mismatches(waiting, SKIN_PANEL_WAIT), 0) << "image 145 and no controls";

    SignIn();
    dlg.m_ctlProgress.m_nPos = 200;
    dlg.m_ctlProgress.Invalidate();
    dlg.m_lblPercent.SetText("50%");
    const Capture signedIn = ShowAndCapture();
    signedIn.SaveBmp(ArtifactPath("install-dialog.bmp"));
    EXPECT_EQ(Mismatches(signedIn, SKIN_PANEL_SIGNED, {kBar, kLabel}), 0) << "image 143 around the controls";
    EXPECT_EQ(signedIn.At(kBar.left, 241), Pixel(RGB(50, 90, 135)));
    EXPECT_EQ(signedIn.At(kBar.left + 100, 241), Pixel(RGB(109, 204, 48)));
    EXPECT_EQ(signedIn.At(kBar.left + 300, 241), Pixel(RGB(222, 233, 243)));
    int ink = 0;
    for (int y = kLabel.top; y < kLabel.bottom; ++y)
        for (int x = kLabel.left; x < kLabel.right; ++x)
            ink += ColourDistance(signedIn.At(x, y), 0xFFFFFF) > 60;
    EXPECT_GT(ink, 15) << "the percentage is drawn";
}

TEST_F(InstallDlgTest, EmptyImageSlotsLeaveWhite)
{
    // Takes the images out of their slots for the test and puts them back.
    struct Emptied {
        int slot;
        HBITMAP h;
        explicit Emptied(int s) : slot(s), h(g_skinImages[s].m_bitmap.Detach()) {}
        ~Emptied() { g_skinImages[slot].m_bitmap.Attach(h); }
    };
    auto erase = [&] {
        return RenderToBitmap(520, 314, [&](HDC hdc) { dlg.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc)); });
    };
    auto whiteIn = [](const Capture& shot, const RECT& rc) {
        for (int y = rc.top; y < rc.bottom; y += 2)
            for (int x = rc.left; x < rc.right; x += 2)
                if (shot.At(x, y) != 0xFFFFFF)
                    return false;
        return true;
    };
    {
        Emptied panel(SKIN_PANEL_WAIT);
        const Capture shot = erase();
        EXPECT_TRUE(whiteIn(shot, kPanel));
        EXPECT_NE(shot.At(5, 5), 0xFFFFFFu) << "the background image is still drawn";
    }
    Emptied background(SKIN_INSTALL_BG);
    const Capture shot = erase();
    EXPECT_TRUE(whiteIn(shot, RECT{0, 0, 520, 115}));
    EXPECT_EQ(Mismatches(shot, SKIN_PANEL_WAIT, {RECT{0, 0, 520, 115}, RECT{0, 0, 11, 314}, RECT{449, 0, 520, 314},
                                                 RECT{0, 286, 520, 314}}),
              0);
}

TEST_F(InstallDlgTest, EnterAndEscHideIt)
{
    for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE)}) {
        dlg.ShowWindow(SW_SHOW);
        ASSERT_TRUE(dlg.IsWindowVisible());
        dlg.PostMessage(WM_KEYDOWN, key, 0);
        EXPECT_TRUE(PumpDialogUntil([&] { return !dlg.IsWindowVisible(); }, 2000)) << "key " << key;
        EXPECT_TRUE(::IsWindow(dlg.m_hWnd)) << "hidden, not destroyed";
    }
}

} // namespace
