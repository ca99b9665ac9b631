// What the end-to-end tests of the game compare the X server's answers with, taken from the
// program's own data and fonts:
//   game_e2e_helper rects INDEX      the stored shape of sprite INDEX, "rect x y w h" per line
//   game_e2e_helper balloon TEXT     the width in pixels of the balloon that shows TEXT
// Runs on Qt's offscreen platform; needs no X server.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/RuntimeError.h"
#include "platform/Screen.h"
#include "shapes/mod_RGN_Data.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace {

class MeasuringWindow : public platform::Form {
public:
    MeasuringWindow() : Form("frmTalk") {}
};

int printRects(std::int32_t index) {
    mod_RGN_Data::LoadRGNShapes();
    const auto ref = mod_RGN_Data::LookupShapeRecord(index);
    const auto* record = static_cast<const mod_RGN_Data::RGNShapeRecord*>(ref.data);
    for (std::uint32_t i = 0; i < record->nCount; ++i) {
        const mod_RGN_Data::RGNRect& r = record->Buffer[i];
        std::printf("rect %d %d %d %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    return 0;
}

int printBalloonWidth(int argc, char** argv, const std::string& text) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    platform::Application app(argc, argv);
    int pixels = 0;
    platform::dispatch([&] {
        MeasuringWindow& window = platform::form<MeasuringWindow>();
        // The balloon's font and size, as the balloon sets them before measuring its text.
        window.setFontName("ＭＳ Ｐゴシック");
        window.setFontSize(8.25f);
        const double twips = window.textWidth(text) + 120 + 105;
        pixels = mod_RGN_UserFunction::TwipToPixelX(twips);
    });
    std::printf("%d\n", pixels);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "rects") == 0) return printRects(std::atoi(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "balloon") == 0) {
        return printBalloonWidth(argc, argv, argv[2]);
    }
    std::fprintf(stderr, "usage: game_e2e_helper rects INDEX | balloon TEXT\n");
    return 2;
}
