// kiprun-derive-shapes ART_FOLDER SHAPES_SOURCE EMBEDDED_SOURCE
// Derives the window shapes from the committed sprite bitmaps and writes them, together with
// the balloon's end pieces, as the constant tables of the shapes library; writes the art files
// themselves as byte arrays. Art that cannot become a shape stops the build.

#include <exception>
#include <filesystem>
#include <iostream>

#include "FileBytes.h"
#include "ShapeTableSource.h"
#include "SpriteCatalog.h"
#include "TalkPieces.h"

namespace fs = std::filesystem;
using namespace shapes::tooling;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: kiprun-derive-shapes ART_FOLDER SHAPES_SOURCE EMBEDDED_SOURCE\n";
        return 2;
    }
    try {
        const fs::path art = argv[1];
        const auto sprites = deriveArtFolder(art);
        const auto& pieces = talkPieces();
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const std::string fault = bandedOrderFault(pieces[i]);
            if (!fault.empty() || pieces[i].size() > 15) {
                throw ArtError("talk shape " + std::to_string(10000 + i) + ": " +
                               (fault.empty() ? "more than 15 rectangles" : fault));
            }
        }
        writeFileText(argv[2], shapeTableSource(sprites, pieces));

        std::vector<NamedFile> files;
        for (int i = 0; i <= kPowerGauge; ++i) {
            files.push_back({spriteFileName(i), readFileBytes(art / spriteFileName(i))});
        }
        const NamedFile ico{kIconIcoFileName, readFileBytes(art / kIconIcoFileName)};
        const NamedFile png{kIconPngFileName, readFileBytes(art / kIconPngFileName)};
        writeFileText(argv[3], embeddedArtSource(files, ico, png));
    } catch (const std::exception& e) {
        std::cerr << "kiprun-derive-shapes: error: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
