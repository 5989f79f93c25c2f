// The skin images decoded from the program's resources, and the image button
// driven by real window messages.
#include "res/resource.h"
#include "support/Program.h"
#include "support/Screen.h"
#include "ui/SkinButton.h"
#include "ui/SkinImage.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

SIZE BitmapSize(HBITMAP h)
{
    BITMAP bm{};
    ::GetObjectA(h, sizeof(bm), &bm);
    return SIZE{bm.bmWidth, bm.bmHeight};
}

class SkinImagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!g_skinImages[SKIN_HEADER].m_bitmap.GetSafeHandle())
            LoadSkinImages();
    }
};

TEST_F(SkinImagesTest, SlotsHoldTheImagesOfTheirSizes)
{
    const struct {
        int slot;
        LONG cx, cy;
    } expected[] = {{3, 752, 145}, {4, 29, 16},  {5, 29, 16},   {6, 29, 16},   {8, 30, 16},   {9, 31, 16},
                    {10, 31, 16},  {11, 752, 66}, {12, 520, 314}, {13, 490, 171}, {14, 490, 171}};
    for (const auto& e : expected) {
        HBITMAP h = g_skinImages[e.slot].m_bitmap.GetSafeHandle();
        ASSERT_NE(h, nullptr) << "slot " << e.slot;
        const SIZE size = BitmapSize(h);
        EXPECT_EQ(size.cx, e.cx) << "slot " << e.slot;
        EXPECT_EQ(size.cy, e.cy) << "slot " << e.slot;
    }
    for (int slot : {0, 1, 2, 7, 15, 16, 17, 18, 19})
        EXPECT_EQ(g_skinImages[slot].m_bitmap.GetSafeHandle(), nullptr) << "slot " << slot;
}

TEST_F(SkinImagesTest, MissingResourceLeavesOnlyItsSlotEmpty)
{
    CSkinImage missing, present;
    EXPECT_FALSE(LoadJpgResource(4242, "JPGS", missing));
    EXPECT_EQ(missing.m_bitmap.GetSafeHandle(), nullptr);
    EXPECT_EQ(missing.m_pPicture, nullptr);
    EXPECT_FALSE(LoadJpgResource(IDR_JPG_HEADER, "NOTJPGS", missing));
    EXPECT_TRUE(LoadJpgResource(IDR_JPG_HEADER, "JPGS", present));
    EXPECT_EQ(BitmapSize(present.m_bitmap).cx, 752);
}

TEST_F(SkinImagesTest, DecodedPicturesAreNotBlank)
{
    // A broken decode tends to give one flat colour; the header has a gradient and text.
    const Capture header = CaptureBitmap(g_skinImages[SKIN_HEADER].m_bitmap);
    int differing = 0;
    for (int x = 0; x < header.width; x += 16)
        differing += ColourDistance(header.At(x, 60), header.At(0, 60)) > 20;
    EXPECT_GT(differing, 5);
}

// A popup that reflects WM_DRAWITEM to the button and counts click notifications.
class ButtonHost : public CWnd {
public:
    int clicks = 0;
    BOOL OnCommand(WPARAM wParam, LPARAM) override
    {
        if (HIWORD(wParam) == BN_CLICKED)
            ++clicks;
        return TRUE;
    }
};

class SkinButtonTest : public SkinImagesTest {
protected:
    void SetUp() override
    {
        HWND hHost = ::CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr,
                                       nullptr, nullptr, nullptr);
        ASSERT_TRUE(host.SubclassWindow(hHost));
        HWND hButton = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | style, 10, 10, 29, 16, hHost,
                                         reinterpret_cast<HMENU>(1002), nullptr, nullptr);
        ASSERT_TRUE(button.SubclassWindow(hButton));
        button.SetImages(&g_skinImages[SKIN_CLOSE_NORMAL].m_bitmap, &g_skinImages[SKIN_CLOSE_PRESSED].m_bitmap,
                         &g_skinImages[SKIN_CLOSE_HOVER].m_bitmap, nullptr, 0, 0, 0);
        WaitPainted(hHost);
    }
    void TearDown() override
    {
        ::ReleaseCapture();
        host.DestroyWindow();
        PumpPending();
    }

    // Screen point inside (or outside) the button, and the same point in its client coordinates.
    POINT Inside() const { return POINT{115, 115}; }
    POINT Outside() const { return POINT{250, 180}; }
    LPARAM ClientLParam(POINT screen) const
    {
        ::ScreenToClient(button.m_hWnd, &screen);
        return MAKELPARAM(screen.x, screen.y);
    }
    void MoveTo(POINT screen, WPARAM keys = 0)
    {
        ::SetCursorPos(screen.x, screen.y);
        button.SendMessage(WM_MOUSEMOVE, keys, ClientLParam(screen));
        PumpPending();
    }
    DWORD ShownPixel()
    {
        RECT rc;
        button.GetWindowRect(&rc);
        return CaptureScreenRect(rc).At(14, 8);
    }
    DWORD ImagePixel(int slot) { return CaptureBitmap(g_skinImages[slot].m_bitmap).At(14, 8); }

    DWORD style = BS_PUSHBUTTON;
    ButtonHost host;
    CSkinButton button;
};

TEST_F(SkinButtonTest, PushButtonBecomesOwnerDrawnAndIgnoresChecks)
{
    EXPECT_EQ(button.m_nCheckKind, CSkinButton::KIND_PUSH);
    EXPECT_EQ(button.GetStyle() & 0x0F, static_cast<DWORD>(BS_OWNERDRAW));
    button.SendMessage(BM_SETCHECK, 1);
    EXPECT_EQ(button.SendMessage(BM_GETCHECK), 0);
}

TEST_F(SkinButtonTest, HoverImageFollowsTheMouse)
{
    EXPECT_LT(ColourDistance(ShownPixel(), ImagePixel(SKIN_CLOSE_NORMAL)), 8);
    MoveTo(Inside());
    EXPECT_TRUE(button.m_bMouseOver);
    EXPECT_TRUE(WaitPainted(button.m_hWnd));
    EXPECT_LT(ColourDistance(ShownPixel(), ImagePixel(SKIN_CLOSE_HOVER)), 8);

    ::SetCursorPos(Outside().x, Outside().y);
    ASSERT_TRUE(PumpUntil([&] { return !button.m_bMouseOver; }, 2000)) << "no WM_MOUSELEAVE";
    EXPECT_TRUE(WaitPainted(button.m_hWnd));
    EXPECT_LT(ColourDistance(ShownPixel(), ImagePixel(SKIN_CLOSE_NORMAL)), 8);
}

TEST_F(SkinButtonTest, PressedLookFollowsTheCursorAndReleaseOutsideDoesNotClick)
{
    MoveTo(Inside());
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, ClientLParam(Inside()));
    EXPECT_TRUE(button.m_bLButtonDown);
    EXPECT_FALSE(button.m_bMouseOver) << "a press cancels hover tracking";
    EXPECT_EQ(::GetCapture(), button.m_hWnd);
    EXPECT_TRUE(button.GetState() & BST_PUSHED);
    EXPECT_TRUE(WaitPainted(button.m_hWnd));
    EXPECT_LT(ColourDistance(ShownPixel(), ImagePixel(SKIN_CLOSE_PRESSED)), 8);

    MoveTo(Outside(), MK_LBUTTON);
    EXPECT_FALSE(button.GetState() & BST_PUSHED);
    MoveTo(Inside(), MK_LBUTTON);
    EXPECT_TRUE(button.GetState() & BST_PUSHED);
    MoveTo(Outside(), MK_LBUTTON);

    button.SendMessage(WM_LBUTTONUP, 0, ClientLParam(Outside()));
    PumpPending(); // what the release posted
    EXPECT_FALSE(button.m_bLButtonDown);
    EXPECT_EQ(host.clicks, 0);

    MoveTo(Inside());
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, ClientLParam(Inside()));
    button.SendMessage(WM_LBUTTONUP, 0, ClientLParam(Inside()));
    PumpPending();
    EXPECT_EQ(host.clicks, 1);
}

TEST_F(SkinButtonTest, DoubleClickActsAsASecondPress)
{
    MoveTo(Inside());
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, ClientLParam(Inside()));
    button.SendMessage(WM_LBUTTONUP, 0, ClientLParam(Inside()));
    button.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, ClientLParam(Inside()));
    button.SendMessage(WM_LBUTTONUP, 0, ClientLParam(Inside()));
    PumpPending();
    EXPECT_EQ(host.clicks, 2);
}

// The kind follows the button type alone: a group box or an owner-drawn
// button shares bits with the check box types but never checks.
TEST(SkinButtonKind, FollowsTheButtonType)
{
    const struct {
        DWORD style;
        int kind;
    } cases[] = {{BS_PUSHBUTTON, CSkinButton::KIND_PUSH},       {BS_DEFPUSHBUTTON, CSkinButton::KIND_PUSH},
                 {BS_CHECKBOX, CSkinButton::KIND_CHECKBOX},     {BS_AUTOCHECKBOX, CSkinButton::KIND_CHECKBOX},
                 {BS_3STATE, CSkinButton::KIND_CHECKBOX},       {BS_AUTO3STATE, CSkinButton::KIND_CHECKBOX},
                 {BS_RADIOBUTTON, CSkinButton::KIND_RADIO},     {BS_AUTORADIOBUTTON, CSkinButton::KIND_RADIO},
                 {BS_GROUPBOX, CSkinButton::KIND_PUSH},         {BS_OWNERDRAW, CSkinButton::KIND_PUSH},
                 {BS_AUTORADIOBUTTON | BS_PUSHLIKE, CSkinButton::KIND_RADIO}};
    HWND hHost = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hHost, nullptr);
    for (const auto& c : cases) {
        HWND hButton = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | c.style, 0, 0, 20, 20, hHost, nullptr, nullptr,
                                         nullptr);
        CSkinButton button;
        ASSERT_TRUE(button.SubclassWindow(hButton));
        EXPECT_EQ(button.m_nCheckKind, c.kind) << "style " << c.style;
        button.DestroyWindow();
    }
    ::DestroyWindow(hHost);
}

class CheckBoxButtonTest : public SkinButtonTest {
protected:
    CheckBoxButtonTest() { style = BS_AUTOCHECKBOX; }
};

TEST_F(CheckBoxButtonTest, TogglesOnReleaseInsideAndOnSpace)
{
    EXPECT_EQ(button.m_nCheckKind, CSkinButton::KIND_CHECKBOX);
    MoveTo(Inside());
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, ClientLParam(Inside()));
    button.SendMessage(WM_LBUTTONUP, 0, ClientLParam(Inside()));
    EXPECT_EQ(button.SendMessage(BM_GETCHECK), 1);
    button.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(button.SendMessage(BM_GETCHECK), 0);
    button.SendMessage(BM_SETCHECK, 1);
    button.SendMessage(CSkinButton::SBM_CLEARCHECK);
    EXPECT_EQ(button.SendMessage(BM_GETCHECK), 0);
}

class RadioButtonTest : public SkinButtonTest {
protected:
    RadioButtonTest() { style = BS_AUTORADIOBUTTON; }
};

TEST_F(RadioButtonTest, OnlyEverSetsItself)
{
    EXPECT_EQ(button.m_nCheckKind, CSkinButton::KIND_RADIO);
    button.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    button.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(button.SendMessage(BM_GETCHECK), 1);
}

// Rectangles of a region, in the order GDI keeps them.
std::vector<RECT> RegionRects(HRGN hRgn)
{
    const DWORD size = ::GetRegionData(hRgn, 0, nullptr);
    std::vector<char> buf(size);
    auto* data = reinterpret_cast<RGNDATA*>(buf.data());
    ::GetRegionData(hRgn, size, data);
    const RECT* r = reinterpret_cast<const RECT*>(data->Buffer);
    return std::vector<RECT>(r, r + data->rdh.nCount);
}

TEST(SkinButtonRegion, RunsOfOpaquePixelsMakeTheRegion)
{
    HDC hdcScreen = ::GetDC(nullptr);
    HBITMAP hMask = ::CreateCompatibleBitmap(hdcScreen, 8, 3);
    {
        HDC dc = ::CreateCompatibleDC(hdcScreen);
        HGDIOBJ old = ::SelectObject(dc, hMask);
        RECT all{0, 0, 8, 3};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        for (int x = 5; x < 8; ++x) // row 0: opaque run reaching the last column
            ::SetPixel(dc, x, 0, RGB(0, 0, 0));
        for (int x = 1; x < 3; ++x) // row 2: a run that ends before a white last column
            ::SetPixel(dc, x, 2, RGB(0, 0, 0));
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
    }
    HRGN hRgn = CSkinButton::RegionFromBitmap(hMask, RGB(255, 255, 255), hdcScreen);
    ASSERT_NE(hRgn, nullptr);
    const std::vector<RECT> rects = RegionRects(hRgn);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].left, 5);
    EXPECT_EQ(rects[0].right, 8);
    EXPECT_EQ(rects[0].top, 0);
    EXPECT_EQ(rects[1].left, 1);
    EXPECT_EQ(rects[1].right, 3);
    EXPECT_FALSE(::PtInRegion(hRgn, 7, 2));
    ::DeleteObject(hRgn);

    EXPECT_EQ(CSkinButton::RegionFromBitmap(nullptr, RGB(255, 255, 255), hdcScreen), nullptr);
    HBITMAP hWhite = ::CreateCompatibleBitmap(hdcScreen, 4, 4);
    {
        HDC dc = ::CreateCompatibleDC(hdcScreen);
        HGDIOBJ old = ::SelectObject(dc, hWhite);
        RECT all{0, 0, 4, 4};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
    }
    HRGN hEmpty = CSkinButton::RegionFromBitmap(hWhite, RGB(255, 255, 255), hdcScreen);
    ASSERT_NE(hEmpty, nullptr) << "no opaque pixel gives an empty region, not none";
    RECT box;
    EXPECT_EQ(::GetRgnBox(hEmpty, &box), NULLREGION);
    ::DeleteObject(hEmpty);
    ::DeleteObject(hWhite);
    ::DeleteObject(hMask);
    ::ReleaseDC(nullptr, hdcScreen);
}

} // namespace
