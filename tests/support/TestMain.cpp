// GoogleTest entry point for programs that run under Wine. Before the tests,
// the test's own folder is emptied and made the temporary folder, so every
// run starts from nothing left by an earlier one.
#include "TestSupport.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing_support::TestDir();
    return RUN_ALL_TESTS();
}
