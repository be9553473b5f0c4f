#include "cli/CliMain.h"

#include <cstdio>
#include <cstring>

namespace tarvelo {

int runCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tarvelo-cli %s\n", TARVELO_VERSION);
            return 0;
        }
    }
    std::fprintf(stderr, "tarvelo-cli %s: picture conversion is not available yet.\n", TARVELO_VERSION);
    return 2;
}

} // namespace tarvelo
