// Calls both builds of the partner library stand-in (C calling convention and
// __stdcall, both with undecorated names) the way the program does, many
// times over, and checks the answers, the arguments the library recorded and
// that the stack pointer is where it was. Built with the shipped program's
// toolchain and flags, so it runs the same call code.
//   partnercall LIBRARY.dll...   (names in tools\partnerdll beside it)
#include "account/PartnerCall.h"

#include <cstdio>
#include <string>

namespace {

#if defined(__i386__)
#define READ_STACK_POINTER(sp) __asm__ volatile("movl %%esp, %0" : "=r"(sp))
#else
#define READ_STACK_POINTER(sp) __asm__ volatile("movq %%rsp, %0" : "=r"(sp))
#endif

const int kCalls = 200;

std::string Folder(bool temp)
{
    char path[MAX_PATH] = {};
    if (temp)
        ::GetTempPathA(MAX_PATH, path);
    else
        ::GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    const std::string s(path);
    return s.substr(0, s.rfind('\\') + 1);
}

std::string ReadFile(const std::string& path)
{
    std::string text;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof(buf), f)) > 0;)
            text.append(buf, n);
        fclose(f);
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string log = Folder(true) + "partnercall.log";
    ::SetEnvironmentVariableA("VESTAINET_LOG", log.c_str());
    ::SetEnvironmentVariableA("VESTAINET_ANSWER", "-7");
    std::string expectedLog;
    for (int n = 0; n < kCalls; ++n)
        expectedLog += "VestaISafeToRun F2\nVestaIReleaseLock\n";

    int passed = 0, failed = 0;
    for (int i = 1; i < argc; ++i) {
        ::DeleteFileA(log.c_str());
        const HMODULE h = ::LoadLibraryA((Folder(false) + "tools\\partnerdll\\" + argv[i]).c_str());
        const FARPROC safeToRun = h ? ::GetProcAddress(h, "VestaISafeToRun") : nullptr;
        const FARPROC releaseLock = h ? ::GetProcAddress(h, "VestaIReleaseLock") : nullptr;
        if (!safeToRun || !releaseLock) {
            printf("FAILED %s: not loaded, or its exports are not under their plain names\n", argv[i]);
            ++failed;
            continue;
        }
        uintptr_t before = 0, after = 0;
        int wrongAnswers = 0;
        READ_STACK_POINTER(before);
        for (int n = 0; n < kCalls; ++n) {
            wrongAnswers += static_cast<int>(CallPartnerExport(safeToRun, "F2")) != -7;
            CallPartnerExport(releaseLock, nullptr);
        }
        READ_STACK_POINTER(after);
        const bool recorded = ReadFile(log) == expectedLog;
        const bool ok = wrongAnswers == 0 && before == after && recorded;
        printf("%s %s: %d calls of each export, %d wrong answers, stack pointer moved by %ld, calls %srecorded "
               "as made\n",
               ok ? "ok" : "FAILED", argv[i], kCalls, wrongAnswers, static_cast<long>(after - before),
               recorded ? "" : "not ");
        ++(ok ? passed : failed);
        ::FreeLibrary(h);
    }
    ::DeleteFileA(log.c_str());
    printf("partner calls: %d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
