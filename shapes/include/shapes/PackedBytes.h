#pragma once
// The run-length code the embedded art files are stored in (the sprites are mostly key colour,
// so a run of equal bytes is the common case). A code byte c below 128 is followed by c + 1
// bytes taken as they stand; a code byte c of 128 or more is followed by one byte repeated
// c - 125 times (3 to 130). Shared by the build-time generator and the library.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace shapes {

inline std::vector<std::uint8_t> packBytes(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> packed;
    std::size_t literalStart = 0;
    std::size_t i = 0;
    auto flushLiterals = [&](std::size_t end) {
        while (literalStart < end) {
            const std::size_t count = std::min<std::size_t>(end - literalStart, 128);
            packed.push_back(static_cast<std::uint8_t>(count - 1));
            packed.insert(packed.end(), bytes.begin() + static_cast<std::ptrdiff_t>(literalStart),
                          bytes.begin() + static_cast<std::ptrdiff_t>(literalStart + count));
            literalStart += count;
        }
    };
    while (i < bytes.size()) {
        std::size_t run = 1;
        while (i + run < bytes.size() && run < 130 && bytes[i + run] == bytes[i]) ++run;
        if (run >= 3) {
            flushLiterals(i);
            packed.push_back(static_cast<std::uint8_t>(run + 125));
            packed.push_back(bytes[i]);
            i += run;
            literalStart = i;
        } else {
            i += run;
        }
    }
    flushLiterals(bytes.size());
    return packed;
}

// Unpacks `size` packed bytes that must give exactly `unpackedSize` bytes.
inline std::vector<std::uint8_t> unpackBytes(const std::uint8_t* packed, std::size_t size,
                                             std::size_t unpackedSize) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(unpackedSize);
    std::size_t i = 0;
    while (i < size) {
        const unsigned code = packed[i++];
        if (code < 128) {
            const std::size_t count = code + 1;
            if (i + count > size) throw std::length_error("packed bytes end inside a literal run");
            bytes.insert(bytes.end(), packed + i, packed + i + count);
            i += count;
        } else {
            if (i >= size) throw std::length_error("packed bytes end inside a repeat");
            bytes.insert(bytes.end(), code - 125, packed[i++]);
        }
        if (bytes.size() > unpackedSize) throw std::length_error("packed bytes unpack too long");
    }
    if (bytes.size() != unpackedSize) throw std::length_error("packed bytes unpack too short");
    return bytes;
}

}  // namespace shapes
