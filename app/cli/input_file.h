#pragma once

#include <cstdio>
#include <string>

namespace spanwright {

/// A problem file opened for reading, or standard input for "-", as every companion
/// program takes its FILE arguments. Closes what it opened, never standard input.
class InputFile {
  public:
    /// Why a file gave nothing to read.
    enum class Fault {
        None,
        CannotOpen,  ///< the open failed; reason() says why
        Directory,   ///< it opened but is a directory, which holds no lines
    };

    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    /// The stream, or null after a fault.
    std::FILE* get() const { return file_; }
    Fault fault() const { return fault_; }
    /// The system's words for a failed open ("No such file or directory").
    const std::string& reason() const { return reason_; }

  private:
    std::FILE* file_ = nullptr;
    bool owned_ = false;
    Fault fault_ = Fault::None;
    std::string reason_;
};

}  // namespace spanwright
