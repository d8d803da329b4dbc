// A folder of its own for each test, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace expscale::testing {

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        folder_ = std::filesystem::temp_directory_path() /
                  ("expscale-test-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::filesystem::path path(const std::string& name) const { return folder_ / name; }
    std::filesystem::path write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    static std::string read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Every entry of the folder, to show that no temporary file stayed behind.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path folder_;
};

}  // namespace expscale::testing
