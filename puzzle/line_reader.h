#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

namespace spanwright {

/// Longest line any program reads. The longest problem line, a 125 x 125 board, takes
/// about 16,000 characters; a line past this bound is no problem line, and reading it
/// whole would let an endless one (a FIFO, /dev/zero) take all memory.
inline constexpr std::size_t MAX_LINE_LENGTH = std::size_t(1) << 20;

/// True for a line of white space alone (line end included): the end of a problem file
/// for the solve mode, a line to pass over for the other programs.
bool isBlankLine(std::string_view line);

/// Reads a stream line by line, never holding more than the bound in memory. A read error
/// is told apart from the end of the stream, so a failing disk or an exhausted memory is
/// never taken for the end of the file.
class LineReader {
  public:
    enum class Status {
        Line,       ///< a line was read (line end included when the stream had one)
        End,        ///< the stream ended before another character
        TooLong,    ///< the line goes past `maxLength`; the stream stays at the first
                    ///< character past the bound, the rest of the line unread
        ReadError,  ///< the stream failed; error() says why
    };

    explicit LineReader(std::FILE* file, std::size_t maxLength = MAX_LINE_LENGTH);

    /// Reads the next line into `line`, which stays valid until the next call.
    Status next(std::string_view& line);

    /// The errno value of the last ReadError.
    int error() const { return error_; }

  private:
    std::FILE* file_;
    std::size_t maxLength_;
    std::vector<char> buffer_;
    int error_ = 0;
};

}  // namespace spanwright
