#include <cstdio>

#include "app/spanwright/app.h"

namespace spanwright {

void printUsage() {
    std::printf("\nbridge puzzle solver/creator\n");
    std::printf("  To slove problems: spanwright.exe s (file name)\n");
    std::printf("  To create problem: spanwright.exe c[1-3]\n");
    std::printf("    where 1-3 specifies board size.\n");
}

// Only the first letter of the mode counts (and the size digit of "c"), so "solve" and
// "dump" work as well as "s" and "d".
int runCommandLine(int argc, const char* const* argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    const char letter = mode[0];
    if (argc == 3 && (letter == 'S' || letter == 's')) {
        solveFile(argv[2], false);
    } else if (argc == 3 && (letter == 'D' || letter == 'd')) {
        solveFile(argv[2], true);
    } else if (argc == 2 && (letter == 'C' || letter == 'c') && mode[1] >= '1' && mode[1] <= '3') {
        createBatch(mode[1] - '0');
    } else {
        printUsage();
    }
    return 0;
}

}  // namespace spanwright
