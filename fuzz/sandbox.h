// The private directory a fuzz target unpacks archives into, made once per
// process under the temporary directory:
//   <target>-<n>/in.lzh   the archive
//   <target>-<n>/x/       the current directory while extracting
// After each input the private directory must hold exactly those two names,
// and the current directory must still be x: an entry that landed anywhere
// else, or a change of directory, aborts the run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <system_error>

namespace fuzz {

namespace fs = std::filesystem;

// Diagnostics are formatted (that path takes entry names) and dropped.
inline void Discard(void*, const char*) {}

class Sandbox {
public:
    explicit Sandbox(const std::string& target) : target_(target)
    {
        std::random_device seed;
        std::mt19937 pick(seed());
        const fs::path tmp = fs::temp_directory_path();
        for (int attempt = 0; attempt < 100 && base_.empty(); attempt++) {
            fs::path candidate = tmp / (target + "-" + std::to_string(pick()));
            std::error_code ec;
            if (fs::create_directory(candidate, ec))
                base_ = candidate;
        }
        if (base_.empty())
            Fail("cannot create a private directory under " + tmp.string());
        archive_ = base_ / "in.lzh";
        work_ = base_ / "x";
        fs::create_directory(work_);
        fs::current_path(work_);
        work_ = fs::current_path();  // as the system spells it, for the check
    }

    ~Sandbox()
    {
        std::error_code ec;
        fs::current_path(base_.parent_path(), ec);
        fs::remove_all(base_, ec);
    }

    [[noreturn]] void Fail(const std::string& what) const
    {
        std::fprintf(stderr, "%s: %s\n", target_.c_str(), what.c_str());
        std::abort();
    }

    void WriteArchive(const uint8_t* data, std::size_t size)
    {
        std::ofstream out(archive_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out)
            Fail("cannot write " + archive_.string());
    }

    // remove_all removes symbolic links themselves, never what they point to.
    void CheckAndClean()
    {
        std::error_code ec;
        if (fs::current_path(ec) != work_)
            Fail("the current directory moved away from " + work_.string());
        std::set<std::string> names;
        for (const fs::directory_entry& e : fs::directory_iterator(base_))
            names.insert(e.path().filename().string());
        if (names != std::set<std::string>{ "in.lzh", "x" })
            Fail("something was created beside the extraction directory in " + base_.string());
        for (const fs::directory_entry& e : fs::directory_iterator(work_)) {
            fs::remove_all(e.path(), ec);
            if (ec)
                Fail("cannot remove " + e.path().string() + ": " + ec.message());
        }
    }

    std::string ArchivePath() const { return archive_.string(); }
    // A file unpacked into x.
    fs::path OutPath(const std::string& name) const { return work_ / name; }

private:
    std::string target_;
    fs::path base_;
    fs::path archive_;
    fs::path work_;
};

}  // namespace fuzz
