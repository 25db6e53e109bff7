#include "app/sheet/sheet_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <system_error>

#include "app/cli/program.h"
#include "render/book_writer.h"

namespace spanwright {
namespace {

volatile std::sig_atomic_t interruption = 0;

extern "C" void noteInterruption(int signal) {
    interruption = signal;
}

constexpr int INTERRUPTS[] = {SIGINT, SIGTERM, SIGHUP};

/// While it lives, the interrupts only set a flag that the writing looks at between files
/// and pages; the handlers before it come back when it goes.
class InterruptGuard {
  public:
    InterruptGuard() {
        struct sigaction action {};
        action.sa_handler = noteInterruption;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < COUNT; ++i)
            sigaction(INTERRUPTS[i], &action, &previous_[i]);
    }
    ~InterruptGuard() {
        for (int i = 0; i < COUNT; ++i)
            sigaction(INTERRUPTS[i], &previous_[i], nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

  private:
    static constexpr int COUNT = int(sizeof INTERRUPTS / sizeof INTERRUPTS[0]);
    struct sigaction previous_[COUNT] {};
};

/// Files written under temporary names in the directory of their targets and renamed
/// into place together; whatever was not renamed is removed when this goes.
class StagedFiles {
  public:
    StagedFiles() = default;
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;
    ~StagedFiles() {
        if (open_) std::fclose(open_);
        for (std::size_t i = committed_; i < staged_.size(); ++i)
            unlink(staged_[i].temporary.c_str());
    }

    /// Opens a new temporary file for `target`, or returns nullptr with the reason.
    std::FILE* open(const std::string& target, std::string& error) {
        const std::size_t slash = target.rfind('/');
        const std::string directory = slash == std::string::npos ? "." : target.substr(0, slash);
        const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
        std::string temporary = directory + "/." + name + ".XXXXXX";
        const int fd = mkstemp(temporary.data());
        if (fd < 0) {
            error = std::generic_category().message(errno);
            return nullptr;
        }
        staged_.push_back({temporary, target});
        // mkstemp makes the file private; the finished file gets the permissions any new
        // file of this user would.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
        open_ = fdopen(fd, "wb");
        if (!open_) {
            error = std::generic_category().message(errno);
            close(fd);
        }
        return open_;
    }

    /// Closes the file last opened; false with the reason when its data did not all land.
    bool closeLast(std::string& error) {
        std::FILE* file = open_;
        open_ = nullptr;
        const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
        const int flushError = errno;
        const bool closed = std::fclose(file) == 0;
        if (!flushed || !closed)
            error = std::generic_category().message(flushed ? errno : flushError);
        return flushed && closed;
    }

    /// Renames every file into place; false with the reason and the target that failed.
    bool commit(std::string& error, std::string& failed) {
        for (; committed_ < staged_.size(); ++committed_) {
            const Staged& file = staged_[committed_];
            if (std::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
                error = std::generic_category().message(errno);
                failed = file.target;
                return false;
            }
        }
        return true;
    }

  private:
    struct Staged {
        std::string temporary;
        std::string target;
    };
    std::vector<Staged> staged_;
    std::size_t committed_ = 0;
    std::FILE* open_ = nullptr;
};

bool writeOne(std::FILE* out, SheetFormat format, const Book& book, const BookPlan& plan, int page,
              int dpi, std::string& error) {
    switch (format) {
        case SheetFormat::Pdf:
            return writePdf(out, book, plan, error);
        case SheetFormat::Svg:
            return writeSvgPage(out, book, plan, page, error);
        case SheetFormat::Png:
            return writePngPage(out, book, plan, page, dpi, error);
    }
    return false;
}

/// Ends the program as the interrupt would have, once the staged files are gone.
void endByInterrupt(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

bool formatOfPath(const std::string& path, SheetFormat& format) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == "pdf")
        format = SheetFormat::Pdf;
    else if (extension == "svg")
        format = SheetFormat::Svg;
    else if (extension == "png")
        format = SheetFormat::Png;
    else
        return false;
    return true;
}

std::vector<std::string> outputPaths(const std::string& path, SheetFormat format, int pages) {
    if (format == SheetFormat::Pdf || pages == 1) return {path};
    const std::size_t dot = path.rfind('.');
    std::vector<std::string> paths;
    for (int page = 1; page <= pages; ++page)
        paths.push_back(path.substr(0, dot) + "-" + std::to_string(page) + path.substr(dot));
    return paths;
}

bool writeBook(const char* program, const std::string& path, SheetFormat format, const Book& book,
               const BookPlan& plan, int dpi) {
    const std::vector<std::string> targets = outputPaths(path, format, int(plan.pages.size()));
    int signal = 0;
    {
        const InterruptGuard guard;
        StagedFiles files;
        std::string error;
        for (std::size_t i = 0; i < targets.size() && interruption == 0; ++i) {
            std::FILE* out = files.open(targets[i], error);
            const bool written = out && writeOne(out, format, book, plan, int(i), dpi, error) &&
                                 files.closeLast(error);
            if (!written) {
                std::fprintf(stderr, "%s: cannot write %s: %s\n", program,
                             printableName(targets[i]).c_str(), error.c_str());
                return false;
            }
        }
        signal = interruption;
        if (signal == 0) {
            std::string failed;
            if (!files.commit(error, failed)) {
                std::fprintf(stderr, "%s: cannot write %s: %s\n", program,
                             printableName(failed).c_str(), error.c_str());
                return false;
            }
            return true;
        }
    }
    endByInterrupt(signal);
    return false;
}

}  // namespace spanwright
