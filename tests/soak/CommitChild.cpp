// The child of the interrupted-commit test: registers the program named on
// its command line through the wizard, Startup box checked, as the test
// program would. The test kills it somewhere inside the commit; left alone
// it ends with 0 after a complete registration, with 1 when the wizard failed.
#include "SoakSupport.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak_commit_child PROGRAM\n");
        return 2;
    }
    soak::RegisterOptions options = { true, false };
    std::string error = soak::RegisterThroughWizard(argv[1], options);
    if (!error.empty()) {
        std::fprintf(stderr, "registration failed: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
