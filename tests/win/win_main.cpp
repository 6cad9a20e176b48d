// The Windows test program. Started with a helper argument it plays a child
// process for the tests instead (hold a file, end with a code, touch a file).
#include <gtest/gtest.h>

#include "core/system_paths.h"
#include "win_test_support.h"

int main(int argc, char** argv) {
    if (argc == 2) {
        int code = wintest::runHelperMode(argv[1]);
        if (code >= 0) return code;
    }
    initSystemPaths();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
