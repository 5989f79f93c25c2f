// The block progress bar's arithmetic: which blocks light up for a position,
// where each block lies, and how the busy highlight travels.
#include "ui/ProgressGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

using namespace progressbar;

namespace {

BarState ProgressBar(int clientWidth, int numBlocks, int pos, int lower, int upper)
{
    return BarState{clientWidth, numBlocks, 1, BlockWidth(clientWidth, numBlocks, 1), 15.0,
                    MODE_PROGRESS, FILL_ONE_BLOCK, pos, lower, upper, SaturatedProduct(5, numBlocks)};
}

// One letter per block: H highlighted, P partly filled, N normal.
std::string Looks(const std::vector<BlockPlan>& blocks)
{
    std::string s;
    for (const BlockPlan& b : blocks)
        s += b.highlighted ? 'H' : b.partialWidth > 0 ? 'P' : 'N';
    return s;
}

TEST(ProgressGeometry, SingleBlockFillsInProportionToThePosition)
{
    // The install dialog's bar: one block over 382 pixels, range 0 to 400.
    auto empty = PlanBlocks(ProgressBar(382, 1, 0, 0, 400));
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(Looks(empty), "N");
    EXPECT_EQ(empty[0].rect.left, 0);
    EXPECT_EQ(empty[0].rect.right, 381) << "one trailing gap is left over";
    EXPECT_EQ(empty[0].rect.bottom, 15);

    auto half = PlanBlocks(ProgressBar(382, 1, 200, 0, 400));
    EXPECT_EQ(Looks(half), "P");
    EXPECT_EQ(half[0].partialWidth, 190);
    const PixelRect fill = PartialFillRect(half[0].rect, half[0].partialWidth);
    EXPECT_EQ(fill.left, 1);
    EXPECT_EQ(fill.right, 191);
    EXPECT_EQ(fill.top, 1);
    EXPECT_EQ(fill.bottom, 14);

    EXPECT_EQ(Looks(PlanBlocks(ProgressBar(382, 1, 399, 0, 400))), "P");
    EXPECT_EQ(Looks(PlanBlocks(ProgressBar(382, 1, 400, 0, 400))), "H");
}

TEST(ProgressGeometry, TenBlocksAtThirtyFivePercent)
{
    auto blocks = PlanBlocks(ProgressBar(110, 10, 35, 0, 100));
    EXPECT_EQ(Looks(blocks), "HHHPNNNNNN");
    EXPECT_NEAR(blocks[3].partialWidth, 5, 1) << "about half of a 10-pixel block";
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(blocks[i].rect.left, i * 11) << i;
        EXPECT_EQ(blocks[i].rect.right, i * 11 + 10) << i;
    }
}

TEST(ProgressGeometry, BlockEdgesComeFromARunningSumTruncated)
{
    // 97 / 3 = 32.33 pixels a block, one pixel apart.
    auto blocks = PlanBlocks(ProgressBar(100, 3, 0, 0, 100));
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].rect.left, 0);
    EXPECT_EQ(blocks[0].rect.right, 32);
    EXPECT_EQ(blocks[1].rect.left, 33);
    EXPECT_EQ(blocks[1].rect.right, 65);
    EXPECT_EQ(blocks[2].rect.left, 66);
    EXPECT_EQ(blocks[2].rect.right, 99);
}

TEST(ProgressGeometry, PositionsOutsideTheRange)
{
    EXPECT_EQ(Looks(PlanBlocks(ProgressBar(110, 10, 101, 0, 100))), "HHHHHHHHHH");
    EXPECT_EQ(Looks(PlanBlocks(ProgressBar(110, 10, INT_MAX, 0, 1))), "HHHHHHHHHH");
    EXPECT_EQ(Looks(PlanBlocks(ProgressBar(110, 10, -5, 0, 100))), "NNNNNNNNNN");
    EXPECT_EQ(Looks(PlanBlocks(ProgressBar(110, 10, INT_MIN, 0, 1))), "NNNNNNNNNN");
    // The position is not offset by the lower end.
    EXPECT_EQ(Looks(PlanBlocks(ProgressBar(110, 10, 100, 50, 150))), "HHHHHHHHHH");
    // A range spanning all of int does not overflow.
    EXPECT_EQ(Looks(PlanBlocks(ProgressBar(110, 10, INT_MAX, INT_MIN, INT_MAX))), "HHHHPNNNNN");
}

TEST(ProgressGeometry, DegenerateSettingsDrawNoBlocks)
{
    EXPECT_TRUE(PlanBlocks(ProgressBar(382, 1, 200, 100, 100)).empty()) << "empty range";
    EXPECT_TRUE(PlanBlocks(ProgressBar(382, 0, 200, 0, 400)).empty()) << "zero blocks";
    EXPECT_TRUE(PlanBlocks(ProgressBar(382, -3, 200, 0, 400)).empty()) << "negative count";
    EXPECT_TRUE(PlanBlocks(ProgressBar(382, INT_MAX, 200, 0, 400)).empty()) << "more blocks than pixels";
    EXPECT_TRUE(PlanBlocks(ProgressBar(0, 1, 0, 0, 400)).empty()) << "no client area yet";

    BarState wideGaps = ProgressBar(382, 3, 0, 0, 400);
    wideGaps.spacing = 200;
    wideGaps.blockWidth = BlockWidth(382, 3, 200);
    EXPECT_LT(wideGaps.blockWidth, 0.0);
    EXPECT_TRUE(PlanBlocks(wideGaps).empty()) << "gaps wider than the bar";

    BarState busy = ProgressBar(110, 10, 3, 0, 0);
    busy.mode = MODE_BUSY;
    busy.busyFill = FILL_GROWING;
    busy.totalSteps = 0;
    EXPECT_TRUE(PlanBlocks(busy).empty()) << "growing fill without steps";

    EXPECT_EQ(BlockWidth(382, 0, 1), 0.0);
    EXPECT_EQ(BlockWidth(382, 1, 1), 381.0);
    EXPECT_EQ(BlockWidth(INT_MAX, 1, INT_MIN), static_cast<double>(INT_MAX) - INT_MIN);
}

TEST(ProgressGeometry, BusyModeDrawing)
{
    BarState bar = ProgressBar(110, 10, 3, 0, 100);
    bar.mode = MODE_BUSY;
    EXPECT_EQ(Looks(PlanBlocks(bar)), "NNNHNNNNNN") << "one moving block";
    bar.pos = 0;
    EXPECT_EQ(Looks(PlanBlocks(bar)), "NNNNNNNNNN") << "position 0 lights no block";
    bar.pos = 10;
    EXPECT_EQ(Looks(PlanBlocks(bar)), "NNNNNNNNNN");

    bar.busyFill = FILL_GROWING;
    bar.totalSteps = 50;
    bar.pos = 27;
    EXPECT_EQ(Looks(PlanBlocks(bar)), "HHHHHPNNNN") << "27 of 50 steps";

    bar.busyFill = 3;
    EXPECT_EQ(Looks(PlanBlocks(bar)), "NNNNNNNNNN") << "an unknown fill draws plain blocks";
}

TEST(ProgressGeometry, PartialFillStopsInsideTheOutline)
{
    const PixelRect block{10, 0, 30, 15};
    const PixelRect wide = PartialFillRect(block, 500);
    EXPECT_EQ(wide.left, 11);
    EXPECT_EQ(wide.right, 29);
    EXPECT_EQ(PartialFillRect(block, INT_MAX).right, 29);
    EXPECT_EQ(PartialFillRect(block, 5).right, 16);
}

std::vector<int> Steps(Motion m, const BusySettings& s, int count)
{
    std::vector<int> positions;
    for (int i = 0; i < count; ++i) {
        m = NextStep(m, s);
        positions.push_back(m.pos);
    }
    return positions;
}

TEST(ProgressGeometry, BusyHighlightBouncesAndWraps)
{
    BusySettings s{MODE_BUSY, ANIM_BOUNCE, FILL_ONE_BLOCK, 10, 5, 50};
    EXPECT_EQ(Steps({0, 1}, s, 19),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1}));

    s.animType = ANIM_WRAP_FORWARD;
    EXPECT_EQ(Steps({8, 1}, s, 3), (std::vector<int>{9, 0, 1}));

    // Backwards: at 0 the position jumps to n, and the step lands on the last block.
    s.animType = ANIM_WRAP_BACKWARD;
    EXPECT_EQ(Steps({1, -1}, s, 3), (std::vector<int>{0, 9, 8}));

    // A growing fill runs over all its steps.
    s = BusySettings{MODE_BUSY, ANIM_BOUNCE, FILL_GROWING, 10, 5, 50};
    EXPECT_EQ(Steps({48, 1}, s, 3), (std::vector<int>{49, 48, 47}));
    s.animType = ANIM_WRAP_FORWARD;
    EXPECT_EQ(Steps({48, 1}, s, 2), (std::vector<int>{49, 0}));
}

TEST(ProgressGeometry, ProgressModeStepsOnlyMove)
{
    BusySettings s{MODE_PROGRESS, ANIM_BOUNCE, FILL_ONE_BLOCK, 10, 5, 50};
    EXPECT_EQ(Steps({9, 1}, s, 2), (std::vector<int>{10, 11}));
    EXPECT_EQ(NextStep({INT_MAX, 1}, s).pos, INT_MAX) << "saturates";
    EXPECT_EQ(NextStep({INT_MIN, -1}, s).pos, INT_MIN);
    s.mode = MODE_BUSY;
    s.animType = ANIM_WRAP_FORWARD;
    s.numBlocks = INT_MIN;
    EXPECT_EQ(NextStep({5, 1}, s).pos, 6) << "no overflow at n - 1";
}

TEST(ProgressGeometry, RunsStartAtTheirBeginning)
{
    EXPECT_EQ(StartMotion({MODE_BUSY, ANIM_WRAP_BACKWARD, FILL_ONE_BLOCK, 10, 5, 50}).pos, 10);
    const Motion grow = StartMotion({MODE_BUSY, ANIM_WRAP_BACKWARD, FILL_GROWING, 10, 5, 50});
    EXPECT_EQ(grow.pos, 50);
    EXPECT_EQ(grow.direction, -1);
    EXPECT_EQ(StartMotion({MODE_BUSY, ANIM_WRAP_BACKWARD, FILL_GROWING, INT_MAX, 5, 0}).pos, INT_MAX);
    for (const BusySettings& s : {BusySettings{MODE_BUSY, ANIM_BOUNCE, FILL_ONE_BLOCK, 10, 5, 50},
                                  BusySettings{MODE_PROGRESS, ANIM_WRAP_BACKWARD, FILL_GROWING, 10, 5, 50}}) {
        const Motion m = StartMotion(s);
        EXPECT_EQ(m.pos, 0);
        EXPECT_EQ(m.direction, 1);
    }
    EXPECT_EQ(SaturatedProduct(INT_MAX, 5), INT_MAX);
    EXPECT_EQ(SaturatedProduct(INT_MIN, 5), INT_MIN);
    EXPECT_EQ(TruncToInt(-2.9), -2);
    EXPECT_EQ(TruncToInt(1e300), INT_MAX);
    EXPECT_EQ(TruncToInt(std::nan("")), 0);
}

} // namespace
