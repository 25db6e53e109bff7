#include "puzzle/line_reader.h"

#include <cerrno>
#include <new>

namespace spanwright {

bool isBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos;
}

LineReader::LineReader(std::FILE* file, std::size_t maxLength)
    : file_(file), maxLength_(maxLength) {}

LineReader::Status LineReader::next(std::string_view& line) {
    buffer_.clear();
    try {
        for (;;) {
            errno = 0;
            const int c = std::getc(file_);
            if (c == EOF) {
                if (std::ferror(file_)) {
                    error_ = errno != 0 ? errno : EIO;
                    return Status::ReadError;
                }
                if (buffer_.empty()) return Status::End;
                break;
            }
            if (buffer_.size() == maxLength_) {
                // The character that did not fit goes back, so that a caller who passes
                // over the rest of the line cannot lose the line end and the next line.
                std::ungetc(c, file_);
                return Status::TooLong;
            }
            buffer_.push_back(char(c));
            if (c == '\n') break;
        }
    } catch (const std::bad_alloc&) {
        error_ = ENOMEM;
        return Status::ReadError;
    }
    line = std::string_view(buffer_.data(), buffer_.size());
    return Status::Line;
}

}  // namespace spanwright
