// The shipped program's entry point, in front of the C runtime's start-up.
// Compiled for the 386 and calling nothing of the runtime, so that on a
// processor the rest of the program cannot run on it still gets as far as
// saying so, instead of ending with an illegal-instruction fault before the
// visitor sees anything. The release check disassembles it.
#include "framework/ProcessorCheck.h"
#include "framework/WinTypes.h"
#include "res/FixedTexts.h"
#include "res/resource.h"

#include <cpuid.h>

extern "C" int WinMainCRTStartup();

extern "C" void ProcessorCheckEntry()
{
    // Toggles the ID flag first: 0 without CPUID.
    const unsigned maxLeaf = __get_cpuid_max(0, nullptr);
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (maxLeaf >= 1)
        __cpuid(1, eax, ebx, ecx, edx);
    if (!ProcessorCanRunProgram(maxLeaf, edx)) {
        char caption[64] = {};
        if (::LoadStringA(::GetModuleHandleA(nullptr), IDS_PRODUCT_NAME, caption, sizeof(caption)) <= 0)
            caption[0] = '\0';
        ::MessageBoxA(nullptr, TEXT_PROCESSOR_TOO_OLD, caption, MB_OK | MB_ICONSTOP);
        ::ExitProcess(1);
    }
    WinMainCRTStartup();
}
