// kiprun-draw-art OUTPUT_FOLDER
// Draws the 51 sprite bitmaps and the program icon into the folder.

#include <exception>
#include <filesystem>
#include <iostream>

#include "ArtSet.h"
#include "FileBytes.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kiprun-draw-art OUTPUT_FOLDER\n";
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        for (const auto& file : shapes::tooling::drawArtSet()) {
            shapes::tooling::writeFileBytes(folder / file.name, file.bytes);
        }
    } catch (const std::exception& e) {
        std::cerr << "kiprun-draw-art: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
