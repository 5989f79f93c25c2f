// Test runner for the Win32-level tests under Wine: a single-threaded
// apartment on the main thread, as the program itself has.
#include "BuildConfig.h"
#include "support/Standin.h"
#include "TrustRoot.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

namespace {

// The build checks signatures against the throwaway authority: the prefix
// trusts it for the run and is left as it was found (a test program started
// by a test finds it trusted and leaves it so).
class TrustedTestRoot : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!*VENDOR_SIGNER)
            return;
        m_added = !IsRootTrusted(Root().c_str());
        if (m_added)
            ASSERT_TRUE(SetRootTrusted(Root().c_str(), true));
    }
    void TearDown() override
    {
        if (m_added)
            SetRootTrusted(Root().c_str(), false);
    }

private:
    static std::string Root() { return testsupport::TestPkiFile("root.der"); }
    bool m_added = false;
};

} // namespace

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
    ::testing::AddGlobalTestEnvironment(new TrustedTestRoot);
    const int rc = RUN_ALL_TESTS();
    ::OleUninitialize();
    return rc;
}
