// Test runner for the Win32-level tests under Wine: a single-threaded
// apartment on the main thread, as the program itself has.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

int main(int argc, char** argv)
{
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    ::testing::InitGoogleTest(&argc, argv);
    // A share of the tests (make test runs two) is this process's alone: the
    // test programs it starts run what they are asked for. GoogleTest still
    // reads the runtime's own copy of the environment, which this leaves be.
    for (const char* name : {"GTEST_TOTAL_SHARDS", "GTEST_SHARD_INDEX", "GTEST_SHARD_STATUS_FILE"})
        ::SetEnvironmentVariableA(name, nullptr);
    const int rc = RUN_ALL_TESTS();
    ::OleUninitialize();
    return rc;
}
