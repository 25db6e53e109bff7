#include "app/program.h"

#include <cstdarg>
#include <cstdio>

namespace spanwright {

void printVersion(const char* program) {
    std::printf("%s %s\n", program, VERSION);
}

int usageError(const char* program, const char* format, ...) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: ", program);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fprintf(stderr, "\nTry '%s --help' for more information.\n", program);
    return USAGE_STATUS;
}

}  // namespace spanwright
