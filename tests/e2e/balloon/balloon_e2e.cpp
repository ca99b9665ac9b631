// The talk balloon on a real X server. The balloon is built with the real window layer; the
// test then asks the server for the window's shape and position, and compares a screenshot of
// the root window with the balloon it expects: black frame, white face, black text, and the
// desktop unchanged around it.

#include <gtest/gtest.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Color.h"
#include "platform/Form.h"
#include "platform/Numeric.h"
#include "platform/Picture.h"
#include "platform/Region.h"
#include "platform/Screen.h"
#include "shapes/mod_RGN_Data.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace {

class BalloonWindow : public platform::Form {
public:
    BalloonWindow() : platform::Form("frmTalk") {}
};

// The window's bounding shape and place as the X server has them.
struct ServerWindow {
    platform::Region shape;
    int rootX = 0;
    int rootY = 0;
};

std::optional<ServerWindow> queryServer(std::uintptr_t window) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return std::nullopt;
    }
    const auto id = static_cast<xcb_window_t>(window);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    ServerWindow result;
    auto* rects = xcb_shape_get_rectangles_reply(
        connection, xcb_shape_get_rectangles(connection, id, XCB_SHAPE_SK_BOUNDING), nullptr);
    auto* place = xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, id, root, 0, 0), nullptr);
    if (rects && place) {
        const xcb_rectangle_t* list = xcb_shape_get_rectangles_rectangles(rects);
        const int count = xcb_shape_get_rectangles_rectangles_length(rects);
        for (int i = 0; i < count; ++i) {
            result.shape.unite(platform::Region::rectangle(
                list[i].x, list[i].y, list[i].x + list[i].width, list[i].y + list[i].height));
        }
        result.rootX = place->dst_x;
        result.rootY = place->dst_y;
    }
    const bool ok = rects && place;
    std::free(rects);
    std::free(place);
    xcb_disconnect(connection);
    if (!ok) return std::nullopt;
    return result;
}

// Paints the root window (the desktop) in one colour, so that the balloon's black frame stands
// out in the screenshots; nothing but this test's own server is touched.
void setDesktopColor(std::uint32_t pixel) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!xcb_connection_has_error(connection)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_change_window_attributes(connection, root, XCB_CW_BACK_PIXEL, &pixel);
        xcb_clear_area(connection, 0, root, 0, 0, 0, 0);
        // A round trip, so the server has repainted before the first screenshot.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    xcb_disconnect(connection);
}

platform::Region talkPiece(std::int32_t index, int dx) {
    const auto record = mod_RGN_Data::LookupShapeRecord(index);
    platform::Region piece =
        std::move(*platform::Region::fromRegionData(record.data, record.byteCount));
    piece.offset(dx, 0);
    return piece;
}

// The balloon with its tail at the lower left for a text `textPixels` wide, at 15 twips per
// pixel: the outline the window is cut to, and the black frame drawn inside it.
struct ExpectedBalloon {
    platform::Region outline;
    platform::Region frame;
};

ExpectedBalloon expectedBalloon(int textPixels) {
    ExpectedBalloon b;
    const int rightEnd = textPixels + 8;
    b.outline = talkPiece(10000, 0);
    b.outline.unite(talkPiece(10001, rightEnd));
    b.outline.unite(platform::Region::rectangle(8, 1, rightEnd, 16));
    b.frame = talkPiece(10004, 0);
    b.frame.unite(talkPiece(10005, rightEnd));
    b.frame.unite(platform::Region::rectangle(8, 1, rightEnd, 2));
    b.frame.unite(platform::Region::rectangle(8, 15, rightEnd, 16));
    return b;
}

std::optional<platform::Picture> screenshot(const std::string& path) {
    const std::string command = "/usr/bin/import -window root '" + path + "'";
    if (std::system(command.c_str()) != 0) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    platform::Picture picture = platform::Picture::fromImageData(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (picture.isNull()) return std::nullopt;
    return picture;
}

void pumpEvents(int milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        platform::doEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// A compositor may paint the desktop anew with a step of difference per channel (mutter
// dithers its background): the same colour within that.
bool sameDesktop(platform::Color a, platform::Color b) {
    auto close = [](int x, int y) { return x - y <= 2 && y - x <= 2; };
    return close(platform::redOf(a), platform::redOf(b)) &&
           close(platform::greenOf(a), platform::greenOf(b)) &&
           close(platform::blueOf(a), platform::blueOf(b));
}

int brightness(platform::Color c) {
    return (platform::redOf(c) + platform::greenOf(c) + platform::blueOf(c)) / 3;
}

// Compares the screen around the balloon with what it should show. Returns the faults found
// (empty when the screen is right).
std::vector<std::string> checkScreen(const platform::Picture& before,
                                     const platform::Picture& after, const ExpectedBalloon& balloon,
                                     int left, int top, int width, int textPixels) {
    std::vector<std::string> faults;
    int ink = 0;
    for (int y = -4; y < 18 + 4; ++y) {
        for (int x = -4; x < width + 4; ++x) {
            const int sx = left + x;
            const int sy = top + y;
            if (sx < 0 || sy < 0 || sx >= after.widthPixels() || sy >= after.heightPixels()) {
                continue;
            }
            const platform::Color shown = after.pixel(sx, sy);
            const std::string where = std::to_string(x) + "," + std::to_string(y);
            if (!balloon.outline.contains(x, y)) {
                if (!sameDesktop(shown, before.pixel(sx, sy))) {
                    faults.push_back("desktop changed at " + where);
                }
            } else if (balloon.frame.contains(x, y)) {
                if (shown != platform::kBlack) faults.push_back("frame not black at " + where);
            } else {
                const bool inText = x >= 8 && x < 8 + textPixels + 1 && y >= 2 && y < 15;
                if (inText && brightness(shown) < 128) ++ink;
                if (!inText && shown != platform::kWhite) {
                    faults.push_back("face not white at " + where);
                }
            }
        }
    }
    if (ink < 10) faults.push_back("no text: " + std::to_string(ink) + " dark pixels");
    return faults;
}

void showBalloon(const std::string& text, const std::string& artifactName) {
    const std::string folder = BALLOON_ARTIFACTS_DIR;
    std::filesystem::create_directories(folder);
    const auto before = screenshot(folder + "/balloon-" + artifactName + "-before.png");
    ASSERT_TRUE(before.has_value()) << "no screenshot";

    // Tail's tip at (300, 200) pixels, well inside any panel margins.
    mod_RGN_UserFunction::MakeRGNTalkWindow(platform::slotOf<BalloonWindow>(), text, 4500, 3000, 0);
    BalloonWindow& window = platform::form<BalloonWindow>();
    const int textPixels = platform::intDiv(window.width() - 225, 15);
    ASSERT_GT(textPixels, 0);
    EXPECT_EQ(window.widthPixels(), textPixels + 15);
    EXPECT_EQ(window.heightPixels(), 18);
    const ExpectedBalloon balloon = expectedBalloon(textPixels);

    // The server may need a moment to map and paint the window.
    std::optional<ServerWindow> server;
    std::vector<std::string> faults{"not checked"};
    const std::string shot = folder + "/balloon-" + artifactName + ".png";
    for (int attempt = 0; attempt < 25 && !faults.empty(); ++attempt) {
        pumpEvents(200);
        server = queryServer(window.hwnd());
        if (!server || !server->shape.samePixels(balloon.outline)) continue;
        const auto after = screenshot(shot);
        if (!after) continue;
        faults = checkScreen(*before, *after, balloon, server->rootX, server->rootY,
                             textPixels + 15, textPixels);
    }
    ASSERT_TRUE(server.has_value()) << "the server does not know the window";
    EXPECT_TRUE(server->shape.samePixels(balloon.outline)) << "window shape differs";
    EXPECT_EQ(server->rootX, 300);
    EXPECT_EQ(server->rootY, 200 - 18);
    for (std::size_t i = 0; i < faults.size() && i < 20; ++i) ADD_FAILURE() << faults[i];
    std::cout << "screenshot: " << shot << std::endl;
    // As the game does after its two seconds: the balloon is hidden, and the next one rebuilds
    // the window.
    window.hide();
    pumpEvents(300);
}

TEST(BalloonOnX, Kiprun) { showBalloon("KIPRUN!", "kiprun"); }

TEST(BalloonOnX, TooBad) { showBalloon("残念・・・", "zannen"); }

}  // namespace

int main(int argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::cout << "no DISPLAY: skipped" << std::endl;
        return 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    platform::Application application(argc, argv);
    platform::setMessageBoxHandler(
        [](const std::string& text) { ADD_FAILURE() << "message box: " << text; });
    constexpr std::uint32_t kDesktopTeal = 0x3A6EA5;  // 24-bit TrueColor: 0xRRGGBB
    setDesktopColor(kDesktopTeal);
    const int result = RUN_ALL_TESTS();
    setDesktopColor(0);
    // The windows go before the window system they live on.
    platform::resetFormsForTests();
    return result;
}
