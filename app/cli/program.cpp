#include "app/cli/program.h"

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

void bufferWholeRecords() {
    // A terminal keeps its line buffering: a person reads the lines as they come.
    // The C library sizes a buffer it allocates itself by the file's block size whatever
    // size is asked, so the buffer is given.
    constexpr std::size_t RECORD_BUFFER_BYTES = std::size_t(1) << 20;
    if (isatty(STDOUT_FILENO)) return;
    static char buffer[RECORD_BUFFER_BYTES];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
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

namespace {

/// The bytes at `at` that a terminal would take as a control rather than show: C0 and DEL
/// (one byte), C1 (U+0080 to U+009F, two bytes in UTF-8, CSI and OSC among them), or a
/// byte that starts no UTF-8 sequence, which a terminal in another encoding may read as
/// C1. Returns how many bytes to escape, 0 for a character that shows as it is, whose
/// length is then in `length`.
std::size_t controlBytes(std::string_view name, std::size_t at, std::size_t& length) {
    char32_t code = 0;
    const int sequence = utf8Sequence(name, at, code);
    if (sequence == 0) return 1;
    length = std::size_t(sequence);
    return code < 0x20 || (code >= 0x7F && code < 0xA0) ? length : 0;
}

/// Status 0 when the answer reached standard output, otherwise 1 and a message: a help text
/// lost on a full disk is not a success.
int answered(const char* program) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::fprintf(stderr, "%s: failed to write to standard output\n", program);
    return 1;
}

}  // namespace

std::string printableName(std::string_view name) {
    bool needsEscape = false;
    for (std::size_t at = 0, length = 1; at < name.size() && !needsEscape; at += length)
        needsEscape = controlBytes(name, at, length) > 0;
    if (!needsEscape) return std::string(name);

    std::string shown;
    for (std::size_t at = 0, length = 1; at < name.size(); at += length) {
        const std::size_t escaped = controlBytes(name, at, length);
        if (escaped == 0) {
            shown.append(name, at, length);
            if (name[at] == '\\') shown += '\\';
            continue;
        }
        length = escaped;
        for (std::size_t k = at; k < at + escaped; ++k) {
            const char c = name[k];
            if (c == '\n') {
                shown += "\\n";
            } else if (c == '\t') {
                shown += "\\t";
            } else if (c == '\r') {
                shown += "\\r";
            } else {
                char octal[8];
                std::snprintf(octal, sizeof octal, "\\%03o",
                              unsigned(static_cast<unsigned char>(c)));
                shown += octal;
            }
        }
    }
    return shown;
}

int answerCommonOption(const char* program, int choice, char* const* argv, void (*printHelp)()) {
    switch (choice) {
        case 'h':
            printHelp();
            return answered(program);
        case 'V':
            printVersion(program);
            return answered(program);
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

bool readDecimal(const char* text, double low, double high, double& value) {
    // Digits with at most one decimal point among or after them: no sign, exponent,
    // white space, "inf" or "nan", which strtod would all take.
    int digits = 0;
    int points = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c >= '0' && *c <= '9')
            ++digits;
        else if (*c == '.' && digits > 0)
            ++points;
        else
            return false;
    }
    if (digits == 0 || points > 1) return false;
    char* end = nullptr;
    value = std::strtod(text, &end);
    return *end == '\0' && value >= low && value <= high;
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

std::string formatText(const char* pattern, ...) {
    va_list arguments;
    va_start(arguments, pattern);
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, pattern, arguments);
    va_end(arguments);
    std::string text(std::size_t(length < 0 ? 0 : length), '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, pattern, again);
    va_end(again);
    return text;
}

bool readTimeLimit(const char* program, const char* text, double& seconds) {
    if (readDecimal(text, 0, MAX_TIME_LIMIT_SECONDS, seconds)) return true;
    usageError(program, "--time-limit '%s' is not a number of seconds from 0 to %g", text,
               MAX_TIME_LIMIT_SECONDS);
    return false;
}

}  // namespace spanwright
