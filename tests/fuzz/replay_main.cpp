// Runs kept fuzz inputs through a fuzz target without libFuzzer, so that the seed corpora
// and every input that once broke the tool are replayed by the ordinary test builds.
//
//   replay PATH...   each PATH a file or a directory, whose files are run in name order
//
// Files whose names begin with "." are skipped (they keep empty directories in git). A
// broken invariant aborts inside the target; the name printed last is then the culprit.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool collect(const fs::path& path, std::vector<fs::path>& inputs) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        std::vector<fs::path> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(path, error))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                found.push_back(entry.path());
        if (error) return false;
        std::sort(found.begin(), found.end());
        inputs.insert(inputs.end(), found.begin(), found.end());
        return true;
    }
    if (fs::is_regular_file(path, error)) {
        inputs.push_back(path);
        return true;
    }
    return false;
}

bool replay(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    if (file.bad()) return false;
    // An exactly sized copy, as libFuzzer gives, so a read past the end is caught.
    std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(input.data(), input.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!collect(argv[i], inputs)) {
            std::fprintf(stderr, "replay: %s: not a readable file or directory\n", argv[i]);
            return 2;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no inputs; usage: %s PATH...\n", argv[0]);
        return 2;
    }
    for (const fs::path& path : inputs) {
        std::fprintf(stderr, "replaying %s\n", path.c_str());
        if (!replay(path)) {
            std::fprintf(stderr, "replay: %s: cannot be read\n", path.c_str());
            return 2;
        }
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
