#pragma once
// A fresh folder per test, removed afterwards, with byte-level helpers.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace qm::test {

class TestFolder {
public:
    TestFolder()
    {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("qm-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TestFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string dir() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path path_;
};

} // namespace qm::test
