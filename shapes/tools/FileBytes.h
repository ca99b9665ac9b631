#pragma once
// Whole-file reading and writing for the host tools.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace shapes::tooling {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void writeFileText(const std::filesystem::path& path, std::string_view text);

}  // namespace shapes::tooling
