// The self-drawn percentage label: its style flags, where its text lands, and
// text replaced from another thread while the label paints.
#include "support/Program.h"
#include "support/Screen.h"
#include "ui/SkinLabel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <functional>
#include <thread>

using namespace testsupport;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

// The columns and rows that carry ink (anything far from the white background).
struct Ink {
    int left = INT_MAX, right = -1, bottom = -1, pixels = 0;
};
Ink InkOf(const Capture& shot)
{
    Ink ink;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (ColourDistance(shot.At(x, y), 0xFFFFFF) > 60) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.bottom = std::max(ink.bottom, y);
                ++ink.pixels;
            }
    return ink;
}

class SkinLabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(HostControl(host, label, "STATIC", " 0%", SS_LEFT, 32, 15, 1002));
        // As the install dialog styles it.
        label.SetTextStyle("굴림", 12, RGB(70, 70, 70), kWhite, 65);
    }
    void TearDown() override
    {
        host.DestroyWindow();
        PumpPending();
    }

    Capture Render()
    {
        RECT rc;
        label.GetWindowRect(&rc);
        return RenderToBitmap(rc.right - rc.left, rc.bottom - rc.top,
                              [&](HDC hdc) { label.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc)); });
    }

    CWnd host;
    CSkinLabel label;
};

TEST_F(SkinLabelTest, StyleFlagsOnlySwitchLooksOnAndPickOneAlignment)
{
    EXPECT_TRUE(label.GetStyle() & SS_NOTIFY) << "clicks notify the parent";
    label.SetStyleFlags(1);
    label.SetStyleFlags(0);
    EXPECT_TRUE(label.m_bBold);
    EXPECT_TRUE(label.m_bAlignLeft);
    EXPECT_FALSE(label.m_bAlignCenter || label.m_bAlignRight);

    label.SetStyleFlags(160);
    EXPECT_TRUE(label.m_bAlignCenter);
    EXPECT_FALSE(label.m_bAlignLeft || label.m_bAlignRight);
    label.SetStyleFlags(128 | 2 | 16);
    EXPECT_TRUE(label.m_bAlignRight);
    EXPECT_FALSE(label.m_bAlignLeft || label.m_bAlignCenter);
    EXPECT_TRUE(label.m_bItalic && label.m_bAntialias && label.m_bBold);
    EXPECT_FALSE(label.m_bUnderline || label.m_bStrikeOut);
}

TEST_F(SkinLabelTest, TextLandsWhereItsAlignmentSays)
{
    label.SetText("");
    const Capture empty = Render();
    EXPECT_EQ(InkOf(empty).pixels, 0) << "an empty text draws only the background";
    EXPECT_EQ(empty.At(16, 7), 0xFFFFFFu);

    label.SetText("0%");
    const Ink left = InkOf(Render());
    ASSERT_GT(left.pixels, 10);
    EXPECT_LE(left.left, 2);
    label.m_bBold = false;
    EXPECT_LT(InkOf(Render()).pixels, left.pixels) << "bold draws heavier strokes";
    label.m_bBold = true;

    label.SetStyleFlags(160);
    const Ink centred = InkOf(Render());
    EXPECT_NEAR(centred.left + centred.right, 32, 3);

    label.SetStyleFlags(128);
    const Ink right = InkOf(Render());
    EXPECT_GE(right.right, 28);

    // Wider than the label: wraps at the space onto a second line.
    label.MoveWindow(10, 10, 40, 40);
    label.SetStyleFlags(0);
    label.SetText("100% 100%");
    EXPECT_GT(InkOf(Render()).bottom, 15);

    label.SetText(nullptr);
    EXPECT_EQ(label.GetText(), "");
}

TEST_F(SkinLabelTest, SetTextRepaintsTheLabelOnScreen)
{
    host.ShowWindow(SW_SHOWNOACTIVATE);
    label.SetText("55%");
    EXPECT_TRUE(WaitPainted(host.m_hWnd));
    RECT rc;
    label.GetWindowRect(&rc);
    const Capture shown = CaptureScreenRect(rc);
    EXPECT_EQ(shown.pixels, Render().pixels);
    EXPECT_GT(InkOf(shown).pixels, 10);
}

TEST_F(SkinLabelTest, TextFromAnotherThreadNeverTearsAPainting)
{
    label.SetText("7%");
    const Capture shortText = Render();
    label.SetText("100%");
    const Capture longText = Render();
    ASSERT_NE(shortText.pixels, longText.pixels);

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i)
            label.SetText(i % 2 ? "7%" : "100%");
    });
    int torn = 0;
    for (int i = 0; i < 300; ++i) {
        const Capture shot = Render();
        torn += shot.pixels != shortText.pixels && shot.pixels != longText.pixels;
        if (i % 20 == 0)
            PumpPending(); // real paintings too
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0);
}

} // namespace
