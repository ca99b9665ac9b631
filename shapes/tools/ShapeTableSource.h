#pragma once
// The build-time side of the shape tables: checking each sprite bitmap, deriving its shape, and
// writing the constant records and the embedded files as C++ source for the shapes library.

#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "NamedFile.h"
#include "ShapeDerivation.h"
#include "SpriteImage.h"

namespace shapes::tooling {

// A sprite that cannot become a shape; the message names the file and the reason.
class ArtError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Checks size, depth and key colour of sprite `index` and derives its shape; throws
// std::runtime_error with the reason when the art does not fit (more than 206 rectangles, no
// pixel inside).
std::vector<RGNRect> deriveCheckedShape(int index, const SpriteImage& image);

// Reads and derives sprites 0..50 from the folder; throws ArtError.
std::vector<std::vector<RGNRect>> deriveArtFolder(const std::filesystem::path& artDir);

std::string shapeTableSource(const std::vector<std::vector<RGNRect>>& sprites,
                             const std::array<std::vector<RGNRect>, 8>& talkPieces);

// sprites: the 51 BMP files in index order; then the icon as .ico and .png.
std::string embeddedArtSource(const std::vector<NamedFile>& sprites, const NamedFile& iconIco,
                              const NamedFile& iconPng);

}  // namespace shapes::tooling
