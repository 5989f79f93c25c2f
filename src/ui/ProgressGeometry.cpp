#include "ui/ProgressGeometry.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace progressbar {

namespace {

int ClampToInt(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The run a busy position travels: blocks for one moving block, steps for a growing fill.
long long BusyRunLength(const BusySettings& s)
{
    switch (s.busyFill) {
    case FILL_ONE_BLOCK: return s.numBlocks;
    case FILL_GROWING: return s.totalSteps;
    default: return 0;
    }
}

} // namespace

int TruncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

int SaturatedProduct(int a, int b)
{
    return ClampToInt(static_cast<long long>(a) * b);
}

double BlockWidth(int clientWidth, int numBlocks, int spacing)
{
    if (numBlocks <= 0)
        return 0.0;
    return (static_cast<double>(clientWidth) - static_cast<double>(numBlocks) * spacing) / numBlocks;
}

PixelRect PartialFillRect(const PixelRect& block, int width)
{
    PixelRect fill{block.left + 1, block.top + 1, block.right - 1, block.bottom - 1};
    fill.right = ClampToInt(std::min(static_cast<long long>(fill.left) + width, static_cast<long long>(fill.right)));
    return fill;
}

std::vector<BlockPlan> PlanBlocks(const BarState& bar)
{
    std::vector<BlockPlan> blocks;
    // Each block needs a pixel column of its own; this also bounds the loop
    // whatever count a caller sends.
    if (bar.numBlocks <= 0 || bar.numBlocks > bar.clientWidth || !(bar.blockWidth > 0.0))
        return blocks;

    const bool busyBlock = bar.mode != MODE_PROGRESS && bar.busyFill == FILL_ONE_BLOCK;
    const bool filling = bar.mode == MODE_PROGRESS || bar.busyFill == FILL_GROWING;
    // A fill that is measured against nothing is not drawn at all.
    const double scale = bar.mode == MODE_PROGRESS ? static_cast<double>(bar.upper) - bar.lower
                                                   : static_cast<double>(bar.totalSteps);
    if (filling && scale == 0.0)
        return blocks;

    int last = -1;     // index of the last fully highlighted block
    int partial = 0;   // filled width of the block after it
    if (filling) {
        // Past the end every block is highlighted, below zero none; clamping
        // keeps the same picture and the arithmetic inside int.
        const double f = std::clamp(bar.pos / scale * bar.numBlocks, 0.0, bar.numBlocks + 1.0);
        last = TruncToInt(f) - 1;
        partial = TruncToInt((f - 1 - last) * bar.blockWidth);
    }

    const int bottom = TruncToInt(bar.blockHeight);
    double x = 0.0;
    blocks.reserve(static_cast<size_t>(bar.numBlocks));
    for (int i = 0; i < bar.numBlocks; ++i) {
        BlockPlan block{{TruncToInt(x), 0, TruncToInt(x + bar.blockWidth), bottom}, false, 0};
        if (busyBlock)
            block.highlighted = i == bar.pos && bar.pos != 0;
        else if (filling) {
            block.highlighted = i <= last;
            if (i == last + 1)
                block.partialWidth = partial;
        }
        blocks.push_back(block);
        x += bar.spacing + bar.blockWidth;
    }
    return blocks;
}

Motion NextStep(Motion m, const BusySettings& s)
{
    if (s.mode == MODE_BUSY) {
        const long long n = BusyRunLength(s);
        switch (s.animType) {
        case ANIM_BOUNCE:
            if (m.pos >= n - 1)
                m.direction = -1;
            if (m.pos <= 0)
                m.direction = 1;
            break;
        case ANIM_WRAP_FORWARD:
            if (m.pos == n - 1)
                m.pos = -1;
            break;
        case ANIM_WRAP_BACKWARD:
            if (m.pos == 0)
                m.pos = ClampToInt(n);
            break;
        default:
            break;
        }
    }
    m.pos = ClampToInt(static_cast<long long>(m.pos) + m.direction);
    return m;
}

Motion StartMotion(const BusySettings& s)
{
    if (s.mode == MODE_BUSY && s.animType == ANIM_WRAP_BACKWARD) {
        const int end = s.busyFill == FILL_GROWING ? SaturatedProduct(s.subSteps, s.numBlocks) : s.numBlocks;
        return Motion{end, -1};
    }
    return Motion{0, 1};
}

} // namespace progressbar
