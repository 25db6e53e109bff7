#include "app/program.h"

#include <getopt.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace spanwright {

void printVersion(const char* program) {
    std::printf("%s %s\n", program, VERSION);
}

void secureStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lower descriptors are open by now, so this one is the lowest free one.
        const int opened = open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (opened == fd) continue;
        if (opened < 0 || dup2(opened, fd) != fd) std::_Exit(127);
        close(opened);
    }
}

std::string printableName(std::string_view name) {
    const auto isControl = [](unsigned char c) { return c < 0x20 || c == 0x7F; };
    bool needsEscape = false;
    for (const char c : name)
        needsEscape = needsEscape || isControl(static_cast<unsigned char>(c));
    if (!needsEscape) return std::string(name);

    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            shown += "\\\\";
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (isControl(byte)) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", unsigned(byte));
            shown += octal;
        } else {
            shown += c;
        }
    }
    return shown;
}

int answerCommonOption(const char* program, int choice, char* const* argv, void (*printHelp)()) {
    switch (choice) {
        case 'h':
            printHelp();
            return 0;
        case 'V':
            printVersion(program);
            return 0;
        case ':':
            return usageError(program, "option '%s' needs a value", argv[optind - 1]);
        case '?':
            // A short option inside a cluster ("-xj") is named alone; a long one whole.
            if (optopt != 0) return usageError(program, "unknown option '-%c'", optopt);
            return usageError(program, "unknown option '%s'", argv[optind - 1]);
        default:
            return -1;
    }
}

bool readNumber(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

void printErrorV(const char* program, const char* format, va_list arguments) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: ", program);
    std::vfprintf(stderr, format, arguments);
    std::fputc('\n', stderr);
}

int usageError(const char* program, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    printErrorV(program, format, arguments);
    va_end(arguments);
    std::fprintf(stderr, "Try '%s --help' for more information.\n", program);
    return USAGE_STATUS;
}

}  // namespace spanwright
