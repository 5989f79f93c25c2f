// The block progress bar on real windows: its pixels, its window messages, its
// off-screen buffer and its animation thread.
#include "support/Program.h"
#include "support/Screen.h"
#include "ui/BusyProgressCtrl.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace testsupport;

namespace {

bool ThreadsSettleAt(int count)
{
    return PumpUntil([&] { return ThreadsOfThisProcess() == count; }, 2000);
}

class BusyProgressCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The kind of control the install dialog's template holds.
        ASSERT_TRUE(HostControl(host, bar, "msctls_progress32", "Progress1", PBS_SMOOTH, 382, 15, 1001));
    }
    void TearDown() override
    {
        bar.Stop();
        host.DestroyWindow();
        PumpPending();
    }

    Capture Render() { return RenderToBitmap(382, 15, [&](HDC hdc) { bar.Draw(hdc); }); }
    // Centre of block i of ten in a 382-pixel bar: 37.2 pixels a block, 38.2 apart.
    static int Centre(int i) { return static_cast<int>(i * 38.2 + 18.6); }

    CWnd host;
    CBusyProgressCtrl bar{10, 0};
};

TEST_F(BusyProgressCtrlTest, TenBlocksShowThirtyFivePercentAndAllAboveTheRange)
{
    ASSERT_EQ(bar.m_rcClient.right, 382) << "laid out when attached";
    bar.SetMode(CBusyProgressCtrl::MODE_PROGRESS);
    bar.SetPos(35);
    Capture shot = Render();
    const DWORD block = Pixel(bar.m_crBlock), lit = Pixel(bar.m_crHighlight);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(shot.At(Centre(i), 0), Pixel(bar.m_crBlockBorder)) << "outline of block " << i;
        if (i != 3)
            EXPECT_EQ(shot.At(Centre(i), 7), i < 3 ? lit : block) << "block " << i;
    }
    // Block 3 spans 114..150: its left half is filled.
    EXPECT_EQ(shot.At(116, 7), lit);
    EXPECT_EQ(shot.At(130, 7), lit);
    EXPECT_EQ(shot.At(134, 7), block);
    EXPECT_EQ(shot.At(37, 7), Pixel(bar.m_crBack)) << "the gap after block 0";

    bar.SetPos(101);
    shot = Render();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(shot.At(Centre(i), 7), lit) << "block " << i;
}

TEST_F(BusyProgressCtrlTest, EmptyRangeOrNoBlocksDrawOnlyTheBackground)
{
    bar.SetMode(CBusyProgressCtrl::MODE_PROGRESS);
    bar.SetPos(50);
    auto onlyBackground = [&] {
        const Capture shot = Render();
        for (DWORD p : shot.pixels)
            if (p != Pixel(bar.m_crBack))
                return false;
        return true;
    };
    bar.SetRange(7, 7);
    EXPECT_TRUE(onlyBackground());
    bar.SetRange(0, 100);
    bar.SetNumBlocks(0);
    EXPECT_TRUE(onlyBackground());
    bar.SetMode(CBusyProgressCtrl::MODE_BUSY);
    EXPECT_TRUE(onlyBackground());
}

TEST_F(BusyProgressCtrlTest, MessagesChangeTheirSettings)
{
    bar.SendMessage(BPM_SETRANGE, 10, 90);
    EXPECT_EQ(bar.m_nLower, 10);
    EXPECT_EQ(bar.m_nUpper, 90);
    bar.SendMessage(BPM_SETNUMBLOCKS, 4);
    bar.SendMessage(BPM_SETSPACING, 2);
    EXPECT_DOUBLE_EQ(bar.m_dBlockWidth, (382 - 8) / 4.0);

    bar.SendMessage(BPM_SETANIMTYPE, CBusyProgressCtrl::ANIM_WRAP_BACKWARD);
    EXPECT_EQ(bar.m_nDirection, -1);
    bar.SendMessage(BPM_SETBUSYFILL, CBusyProgressCtrl::FILL_GROWING);
    EXPECT_EQ(bar.m_nTotalSteps, 20);
    EXPECT_EQ(bar.m_nPos, 20) << "a backwards run starts past its last step";
    bar.SendMessage(BPM_SETSUBSTEPS, 3);
    EXPECT_EQ(bar.m_nTotalSteps, 12);
    EXPECT_EQ(bar.m_nPos, 12);
    bar.SendMessage(BPM_STEP);
    EXPECT_EQ(bar.m_nPos, 11);

    bar.SendMessage(BPM_SETMODE, 7);
    EXPECT_EQ(bar.m_nMode, CBusyProgressCtrl::MODE_BUSY) << "an unknown mode is refused";
    bar.SendMessage(BPM_SETMODE, CBusyProgressCtrl::MODE_PROGRESS);
    EXPECT_EQ(bar.m_nDirection, 1);
    bar.SendMessage(BPM_SETBUSYFILL, CBusyProgressCtrl::FILL_ONE_BLOCK);
    EXPECT_EQ(bar.m_nBusyFill, CBusyProgressCtrl::FILL_GROWING) << "busy fill is kept outside busy mode";
    bar.SendMessage(BPM_RESET);
    EXPECT_EQ(bar.m_nPos, 0);

    bar.SendMessage(BPM_SETHIGHLIGHTCOLOR, RGB(1, 2, 3));
    EXPECT_EQ(bar.m_crHighlight, RGB(1, 2, 3));
    bar.SendMessage(BPM_USESYSBKCOLOR, FALSE);
    bar.SendMessage(BPM_SETBKCOLOR, RGB(9, 9, 9));
    bar.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ(bar.m_crBack, RGB(9, 9, 9)) << "a chosen background stays";
    bar.SendMessage(BPM_USESYSBKCOLOR, TRUE);
    bar.SendMessage(BPM_SETBKCOLOR, RGB(9, 9, 9));
    bar.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ(bar.m_crBack, ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(BusyProgressCtrlTest, SizeChangeRebuildsTheBufferAtTheNextPainting)
{
    auto bufferSize = [&] {
        BITMAP bm{};
        if (bar.m_pBuffer)
            ::GetObjectA(bar.m_pBuffer->m_bmpMem, sizeof(bm), &bm);
        return SIZE{bm.bmWidth, bm.bmHeight};
    };
    bar.SetMode(CBusyProgressCtrl::MODE_PROGRESS);
    EXPECT_FALSE(bar.m_pBuffer) << "none before the first painting";
    bar.SendMessage(WM_PAINT);
    EXPECT_EQ(bufferSize().cx, 382);

    bar.MoveWindow(10, 10, 200, 20);
    EXPECT_FALSE(bar.m_pBuffer) << "released on the size change";
    EXPECT_EQ(bar.m_rcClient.right, 200);
    bar.RecalcLayout();
    bar.SendMessage(WM_PAINT);
    EXPECT_EQ(bufferSize().cx, 200);
    EXPECT_EQ(bufferSize().cy, 20);

    // On the screen: the one remaining block now ends at 199 with its outline at 198.
    host.ShowWindow(SW_SHOWNOACTIVATE);
    bar.SetNumBlocks(1);
    EXPECT_TRUE(WaitPainted(host.m_hWnd));
    RECT rc;
    bar.GetWindowRect(&rc);
    const Capture shot = CaptureScreenRect(rc);
    EXPECT_EQ(shot.At(198, 10), Pixel(bar.m_crBlockBorder));
    EXPECT_EQ(shot.At(100, 10), Pixel(bar.m_crBlock));
    EXPECT_EQ(shot.At(199, 10), Pixel(bar.m_crBack));
}

TEST_F(BusyProgressCtrlTest, AnimationRunsOnOneThreadUntilProgressModeStopsIt)
{
    const int before = ThreadsOfThisProcess();
    bar.SetInterval(20);
    bar.Start();
    ASSERT_TRUE(bar.m_bRunning);
    ASSERT_NE(bar.m_pThread, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return bar.m_nPos >= 3; }, 3000)) << "the highlight moves";
    bar.Start();
    EXPECT_TRUE(ThreadsSettleAt(before + 1)) << "a second Start replaces the first thread";

    bar.SetMode(CBusyProgressCtrl::MODE_PROGRESS);
    EXPECT_FALSE(bar.m_bRunning);
    EXPECT_EQ(bar.m_pThread, nullptr);
    EXPECT_TRUE(ThreadsSettleAt(before));
    const int pos = bar.m_nPos;
    PumpPending(); // with no thread left, nothing can move it
    EXPECT_EQ(bar.m_nPos, pos);

    bar.Start();
    EXPECT_FALSE(bar.m_bRunning) << "no animation in progress mode";
}

TEST_F(BusyProgressCtrlTest, QuickStartsAndStopsLeaveNoThreadBehind)
{
    const int before = ThreadsOfThisProcess();
    bar.SetInterval(0); // Stop waits 0 ms: threads are often still starting when it gives up
    for (int i = 0; i < 40; ++i) {
        bar.Start();
        bar.Stop();
    }
    EXPECT_TRUE(ThreadsSettleAt(before));
    const int pos = bar.m_nPos;
    PumpPending();
    EXPECT_EQ(bar.m_nPos, pos);

    // Destroying an animating control ends its thread before the object goes.
    auto loose = std::make_unique<CBusyProgressCtrl>(10, 0);
    loose->SetInterval(5);
    loose->Start();
    EXPECT_TRUE(PumpUntil([&] { return loose->m_nPos > 0; }, 3000));
    loose.reset();
    EXPECT_TRUE(ThreadsSettleAt(before));

    EXPECT_EQ(CBusyProgressCtrl::AnimationThreadProc(nullptr), static_cast<UINT>(-1));
}

TEST_F(BusyProgressCtrlTest, CreateMakesAStaticWindowAndLaysItOut)
{
    CBusyProgressCtrl created(10, 0);
    ASSERT_TRUE(created.Create(WS_CHILD | WS_VISIBLE, RECT{10, 30, 110, 45}, &host, 77));
    char cls[32] = {};
    ::GetClassNameA(created.m_hWnd, cls, sizeof(cls));
    EXPECT_STRCASEEQ(cls, "Static");
    EXPECT_EQ(WindowTextUtf8(created.m_hWnd), "BusyProgressCtrl");
    EXPECT_EQ(::GetDlgCtrlID(created.m_hWnd), 77);
    EXPECT_DOUBLE_EQ(created.m_dBlockWidth, 9.0);
    EXPECT_DOUBLE_EQ(created.m_dBlockHeight, 15.0);
}

} // namespace
