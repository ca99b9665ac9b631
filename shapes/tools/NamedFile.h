#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace shapes::tooling {

// A file's name within the art folder and its bytes.
struct NamedFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

}  // namespace shapes::tooling
