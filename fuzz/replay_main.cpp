// Replays a fuzz corpus without libFuzzer: every file of the directories (or
// the files) named on the command line goes through the fuzz target once, in
// name order. A crash or a failed check in the target ends the program, which
// is what the test run looks for; otherwise it prints what it replayed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

bool ReadWhole(const fs::path& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Paths are made absolute first: the target changes the current directory.
bool AddInputs(const fs::path& arg, std::vector<fs::path>& files)
{
    const fs::path where = fs::absolute(arg);
    if (fs::is_regular_file(where)) {
        files.push_back(where);
        return true;
    }
    if (!fs::is_directory(where))
        return false;
    std::vector<fs::path> found;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(where))
        if (e.is_regular_file())
            found.push_back(e.path());
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR|FILE...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> files;
    for (int i = 1; i < argc; i++) {
        if (!AddInputs(argv[i], files)) {
            std::fprintf(stderr, "%s: no file or directory %s\n", argv[0], argv[i]);
            return 1;
        }
    }
    std::size_t bytes = 0;
    for (const fs::path& file : files) {
        std::vector<uint8_t> data;
        if (!ReadWhole(file, data)) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], file.string().c_str());
            return 1;
        }
        std::fprintf(stderr, "%s\n", file.filename().string().c_str());
        LLVMFuzzerTestOneInput(data.data(), data.size());
        bytes += data.size();
    }
    std::printf("replayed %zu inputs, %zu bytes\n", files.size(), bytes);
    return 0;
}
