// What the program asks of the processor. The compiler and the runtime
// pieces it links (start-up code, strings, the exception unwinder, printf)
// are built for the Pentium Pro: conditional moves and FCOMI, which a 486,
// a Pentium (MMX), the AMD K5/K6 or a WinChip fault on. The entry routine
// (framework/ProcessorEntry.cpp) asks before any of that code runs.
#pragma once

#include <cstdint>

const uint32_t CPUID_FEATURE_FPU = 1u << 0;   // x87 on the chip: FCOMI needs it
const uint32_t CPUID_FEATURE_CMOV = 1u << 15; // CMOVcc, and FCMOVcc/FCOMI with the FPU

// maxLeaf: the highest standard CPUID leaf, 0 where the processor has no
// CPUID at all (the ID flag of EFLAGS cannot be toggled); features: EDX of leaf 1.
constexpr bool ProcessorCanRunProgram(uint32_t maxLeaf, uint32_t features)
{
    const uint32_t needed = CPUID_FEATURE_FPU | CPUID_FEATURE_CMOV;
    return maxLeaf >= 1 && (features & needed) == needed;
}
