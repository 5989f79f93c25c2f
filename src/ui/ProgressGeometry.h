// The arithmetic of the block progress bar, apart from any window: where its
// blocks lie, how far a position fills them and how the busy highlight moves.
// Every value may come from a window message, so each function gives a
// defined answer for any int: no division by zero, no overflow, and no
// out-of-range double converted to int.
#pragma once

#include <vector>

namespace progressbar {

const int MODE_BUSY = 1;
const int MODE_PROGRESS = 2;

const int ANIM_BOUNCE = 1;
const int ANIM_WRAP_FORWARD = 2;
const int ANIM_WRAP_BACKWARD = 4;

const int FILL_ONE_BLOCK = 1;
const int FILL_GROWING = 2;

// Truncation toward zero, limited to the int range; NaN gives 0.
int TruncToInt(double value);
// a x b, limited to the int range.
int SaturatedProduct(int a, int b);

// One gap per block (the last one trailing) is taken off the client width and
// the rest shared out; 0 when there are no blocks.
double BlockWidth(int clientWidth, int numBlocks, int spacing);

struct PixelRect {
    int left, top, right, bottom;
};

// The area filled inside a block for a partial fill of `width` pixels: the
// block less its outline, cut at `width` but never past the outline.
PixelRect PartialFillRect(const PixelRect& block, int width);

struct BarState {
    int clientWidth;
    int numBlocks;
    int spacing;
    double blockWidth;
    double blockHeight;
    int mode;
    int busyFill;
    int pos;
    int lower;
    int upper;
    int totalSteps;
};

struct BlockPlan {
    PixelRect rect;
    bool highlighted;
    int partialWidth; // > 0: a normal block with this much filled from its left
};

// The blocks to draw, left to right. Empty when nothing sensible can be drawn:
// no blocks, more blocks than pixel columns, blocks without width, or a fill
// measured against an empty range.
std::vector<BlockPlan> PlanBlocks(const BarState& bar);

struct Motion {
    int pos;
    int direction;
};

struct BusySettings {
    int mode;
    int animType;
    int busyFill;
    int numBlocks;
    int subSteps;
    int totalSteps;
};

// One animation step: in busy mode the position first bounces or wraps at the
// ends of its run, then every mode moves it by the direction.
Motion NextStep(Motion motion, const BusySettings& settings);
// Where a run starts: backwards wrapping starts past its last step, the rest at 0.
Motion StartMotion(const BusySettings& settings);

} // namespace progressbar
