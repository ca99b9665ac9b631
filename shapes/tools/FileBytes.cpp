#include "FileBytes.h"

#include <fstream>
#include <iterator>

namespace shapes::tooling {

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError(path.string() + ": cannot be opened");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad()) throw FileError(path.string() + ": read error");
    return bytes;
}

void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    writeFileText(path,
                  std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void writeFileText(const std::filesystem::path& path, std::string_view text) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw FileError(path.string() + ": cannot be written");
}

}  // namespace shapes::tooling
