#include "app/cli/input_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace spanwright {

InputFile::InputFile(const std::string& path) {
    if (path == "-") {
        file_ = stdin;
        return;
    }
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        fault_ = Fault::CannotOpen;
        reason_ = std::generic_category().message(errno);
        return;
    }
    owned_ = true;
    // A directory opens on this platform but has no lines; reading it would fail obscurely.
    struct stat info {};
    if (fstat(fileno(file_), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        owned_ = false;
        fault_ = Fault::Directory;
    }
}

InputFile::~InputFile() {
    if (owned_) std::fclose(file_);
}

}  // namespace spanwright
