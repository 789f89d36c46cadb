// Test entry point: the tests are about Shift-JIS text, so they refuse to run
// in any other code page rather than pass for the wrong reasons.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    UINT acp = GetACP();
    std::printf("ANSI code page: %u\n", acp);
    if (acp != 932) {
        std::fprintf(stderr, "FATAL: the tests need code page 932 (Shift-JIS), this process has %u. "
                             "Run them with LC_ALL=ja_JP.UTF-8 under Wine.\n", acp);
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
