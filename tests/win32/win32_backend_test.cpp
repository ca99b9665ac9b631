// The Win32 backend against the real system calls (under Wine on the build machine).

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/Picture.h"
#include "platform/Profile.h"
#include "platform/Region.h"
#include "platform/Screen.h"
#include "platform/testing/TestEnvironment.h"
#include "win32/FormImpl.h"
#include "win32/Win32Support.h"

namespace {

using platform::Color;
using platform::Form;
using platform::Region;

class TestForm : public Form {
public:
    TestForm() : Form("frmTest") {}
    void onMouseDown(int button, int, float x, float y) override {
        lastButton = button;
        lastX = x;
        lastY = y;
    }
    int lastButton = 0;
    float lastX = -1;
    float lastY = -1;
};

// A screen of twice the density for one test: every program pixel is 2 x 2 screen pixels.
class DoubleDensity {
public:
    DoubleDensity() { platform::win32::setDeviceScaleForTests(2); }
    ~DoubleDensity() { platform::win32::setDeviceScaleForTests(1); }
};

// A region data record: header then rectangles, as the shape tables hold them.
std::vector<std::uint8_t> record(const std::vector<platform::Rect>& rects) {
    std::vector<std::uint32_t> words = {32,
                                        1,
                                        static_cast<std::uint32_t>(rects.size()),
                                        static_cast<std::uint32_t>(16 * rects.size()),
                                        0,
                                        0,
                                        0,
                                        0};
    for (const auto& r : rects) {
        for (auto v : {r.left, r.top, r.right, r.bottom}) {
            words.push_back(static_cast<std::uint32_t>(v));
        }
    }
    std::vector<std::uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return bytes;
}

// A 24-bit bottom-up BMP of one colour.
std::vector<std::uint8_t> solidBmp(int w, int h, Color c) {
    int stride = (w * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> b(54 + static_cast<std::size_t>(stride) * h, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&b[at], &v, 4); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(w));
    put32(22, static_cast<std::uint32_t>(h));
    b[26] = 1;
    b[28] = 24;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::size_t at = 54 + static_cast<std::size_t>(y) * stride + 3 * x;
            b[at] = static_cast<std::uint8_t>(platform::blueOf(c));
            b[at + 1] = static_cast<std::uint8_t>(platform::greenOf(c));
            b[at + 2] = static_cast<std::uint8_t>(platform::redOf(c));
        }
    }
    return b;
}

TEST(Win32Region, RecordsAreValidatedAndCutRealWindows) {
    platform::testing::TestEnvironment env;
    auto bytes = record({{0, 0, 10, 2}, {3, 2, 7, 9}});
    auto region = Region::fromRegionData(bytes.data(), bytes.size());
    ASSERT_TRUE(region.has_value());
    EXPECT_TRUE(region->contains(9, 1));
    EXPECT_FALSE(region->contains(9, 5));
    EXPECT_EQ(region->boundingRect(), (platform::Rect{0, 0, 10, 9}));

    // A short buffer, a wrong size field and an all-zero record are refused.
    EXPECT_FALSE(Region::fromRegionData(bytes.data(), bytes.size() - 1).has_value());
    auto wrong = bytes;
    wrong[12] = 17;
    EXPECT_FALSE(Region::fromRegionData(wrong.data(), wrong.size()).has_value());
    std::vector<std::uint8_t> zeros(bytes.size(), 0);
    EXPECT_FALSE(Region::fromRegionData(zeros.data(), zeros.size()).has_value());

    Form& form = platform::form<TestForm>();
    form.move(0, 0, 20 * 15, 20 * 15);
    Region expected = Region::rectangle(0, 0, 10, 2);
    expected.unite(Region::rectangle(3, 2, 7, 9));
    const auto liveBefore = Region::liveCount();
    ASSERT_TRUE(form.setWindowRegion(std::move(*region), true));
    // The window owns the native region now; what it hands back is a separate copy.
    auto readBack = form.windowRegion();
    ASSERT_TRUE(readBack.has_value());
    EXPECT_TRUE(readBack->samePixels(expected));
    EXPECT_EQ(Region::liveCount(), liveBefore + 1);
    HRGN native = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(reinterpret_cast<HWND>(form.hwnd()), native), ERROR);
    RECT box;
    GetRgnBox(native, &box);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 9);
    DeleteObject(native);
}

TEST(Win32Region, OffsetAndUnionFollowTheNativeCalls) {
    platform::testing::TestEnvironment env;
    Region a = Region::rectangle(0, 0, 4, 4);
    a.offset(10, 20);
    a.unite(Region::rectangle(0, 0, 2, 2));
    EXPECT_TRUE(a.contains(13, 23));
    EXPECT_FALSE(a.contains(3, 3));
    EXPECT_TRUE(a.contains(1, 1));
    EXPECT_EQ(a.rects().size(), 2u);
    EXPECT_TRUE(Region::rectangle(5, 5, 5, 9).isEmpty());
    Region moved = std::move(a);
    EXPECT_TRUE(a.isEmpty());
    EXPECT_TRUE(moved.contains(1, 1));
}

TEST(Win32BackBuffer, ClipLimitsDrawingAndPixelsReadBackEverywhere) {
    platform::testing::TestEnvironment env;
    Form& form = platform::form<TestForm>();
    form.move(0, 0, 30 * 15, 30 * 15);
    form.setBackColor(platform::kWhite);
    const Color red = platform::rgb(255, 0, 0);
    auto bmp = solidBmp(30, 30, red);
    platform::Picture picture = platform::Picture::fromBmp(bmp.data(), bmp.size());
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.pixel(29, 29), red);

    form.selectClip(Region::rectangle(5, 5, 10, 10));
    EXPECT_TRUE(form.hasClip());
    form.paintPicture(picture, 0, 0);
    EXPECT_EQ(form.backBufferPixel(5, 5), red);
    EXPECT_EQ(form.backBufferPixel(9, 9), red);
    EXPECT_EQ(form.backBufferPixel(10, 10), platform::kWhite);
    EXPECT_EQ(form.backBufferPixel(0, 0), platform::kWhite);

    form.clearClip();
    form.line(0, 20 * 15, 4 * 15, 20 * 15, platform::kBlack);
    EXPECT_EQ(form.backBufferPixel(3, 20), platform::kBlack);
    // The end point of a line is not drawn.
    EXPECT_EQ(form.backBufferPixel(4, 20), platform::kWhite);

    // The buffer keeps its content when the window grows.
    form.setWidth(40 * 15);
    EXPECT_EQ(form.widthPixels(), 40);
    EXPECT_EQ(form.backBufferPixel(7, 7), red);
    EXPECT_EQ(form.backBufferPixel(35, 5), platform::kWhite);
}

TEST(Win32Form, GeometryKeepsTheTwipsSetAndGivesTheWindowTheNearestPixels) {
    platform::testing::TestEnvironment env;
    Form& form = platform::form<TestForm>();
    form.move(1000, 2000, 1500, 300);
    RECT r;
    GetWindowRect(reinterpret_cast<HWND>(form.hwnd()), &r);
    EXPECT_EQ(r.left, 67);
    EXPECT_EQ(r.top, 133);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_FLOAT_EQ(form.left(), 1000.0f);
    EXPECT_FLOAT_EQ(form.width(), 1500.0f);
    // 1012.5 twips is 67.5 pixels: the half goes to the even neighbour.
    form.setLeft(1012.5f);
    GetWindowRect(reinterpret_cast<HWND>(form.hwnd()), &r);
    EXPECT_EQ(r.left, 68);
    // A scene window stays out of the taskbar.
    EXPECT_TRUE(GetWindowLongPtrW(reinterpret_cast<HWND>(form.hwnd()), GWL_EXSTYLE) &
                WS_EX_TOOLWINDOW);

    platform::PictureBox& box = form.addPictureBox("picTalk");
    EXPECT_EQ(box.widthPixels(), 81);
    EXPECT_FALSE(box.visible());
    EXPECT_EQ(box.backColor(), platform::kWhite);
}

TEST(Win32Form, JapaneseTextSurvivesTheWideCalls) {
    platform::testing::TestEnvironment env;
    Form& form = platform::form<TestForm>();
    form.setCaption("デスクトップKiprun!");
    EXPECT_EQ(form.caption(), "デスクトップKiprun!");
    wchar_t text[64] = {};
    GetWindowTextW(reinterpret_cast<HWND>(form.hwnd()), text, 64);
    EXPECT_EQ(std::wstring(text), L"\u30C7\u30B9\u30AF\u30C8\u30C3\u30D7Kiprun!");
    form.setFontName("ＭＳ Ｐゴシック");
    form.setFontSize(9);
    EXPECT_GT(form.textWidth("残念・・・"), form.textWidth("残念"));
}

TEST(Win32Clock, TimersTickThroughTheMessageQueueWithoutOverlap) {
    platform::testing::TestEnvironment env;
    platform::setClock(nullptr);
    Form& form = platform::form<TestForm>();
    platform::Timer& timer = form.addTimer("Timer1", 10);
    int ticks = 0;
    int depth = 0;
    int deepest = 0;
    timer.setOnTick([&] {
        ++ticks;
        ++depth;
        deepest = std::max(deepest, depth);
        // A long tick that lets events run: the next expiry must not start a second tick.
        for (int i = 0; i < 5; ++i) {
            platform::sleepMs(5);
            platform::doEvents();
        }
        --depth;
    });
    timer.setEnabled(true);
    auto start = platform::tickCount();
    while (ticks < 3 && platform::tickDifference(platform::tickCount(), start) < 5000) {
        platform::clock().waitEvents(50);
    }
    timer.setEnabled(false);
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(deepest, 1);
    // The tick counter advances in steps of 1/64 s: every value is floor(k * 1000 / 64).
    const std::int64_t t = static_cast<std::uint32_t>(platform::tickCount());
    const std::int64_t k = (t * 64 + 999) / 1000;
    EXPECT_EQ(k * 1000 / 64, t);
}

TEST(Win32Profile, TheNativeProfileCallsReadAndWriteTheSettingsFile) {
    platform::testing::TestEnvironment env;
    const std::string path = env.iniPath();
    EXPECT_EQ(platform::readProfileString("DAVUZ", "COLOR", path, 255), "");
    ASSERT_TRUE(platform::writeProfileString("DAVUZ", "COLOR", "2", path));
    ASSERT_TRUE(platform::writeProfileString("DAVUZ", "LEVEL", "1", path));
    ASSERT_TRUE(platform::writeProfileString("DAVUZ", "COLOR", "3", path));
    EXPECT_EQ(platform::readProfileString("davuz", "color", path, 255), "3");
    EXPECT_EQ(platform::readProfileString("DAVUZ", "LEVEL", path, 255), "1");
    ASSERT_TRUE(platform::writeProfileString("DAVUZ", "NAME", "abcdef", path));
    EXPECT_EQ(platform::readProfileString("DAVUZ", "NAME", path, 4), "abc");
    std::ifstream in(path);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(content.find("[DAVUZ]"), std::string::npos);
    EXPECT_NE(content.find("COLOR=3"), std::string::npos);
}

}  // namespace

TEST(Win32Scale, WindowsShapesAndClicksAreWholeMultiplesOfTheProgramsPixels) {
    platform::testing::TestEnvironment env;
    DoubleDensity density;
    auto& form = platform::form<TestForm>();
    form.move(10 * 15, 20 * 15, 79 * 15, 96 * 15);
    HWND hwnd = reinterpret_cast<HWND>(form.hwnd());
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 158);
    EXPECT_EQ(r.bottom - r.top, 192);
    // The program still sees its own pixels and twips.
    EXPECT_EQ(form.widthPixels(), 79);
    EXPECT_FLOAT_EQ(form.width(), 79 * 15.0f);

    // The window is cut to the shape at twice its size, and reads back as the program set it.
    Region shape = Region::rectangle(0, 0, 10, 2);
    shape.unite(Region::rectangle(3, 2, 7, 9));
    Region expected = Region::rectangle(0, 0, 10, 2);
    expected.unite(Region::rectangle(3, 2, 7, 9));
    ASSERT_TRUE(form.setWindowRegion(std::move(shape), true));
    HRGN native = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(hwnd, native), ERROR);
    EXPECT_TRUE(PtInRegion(native, 19, 3));
    EXPECT_FALSE(PtInRegion(native, 20, 3));
    EXPECT_TRUE(PtInRegion(native, 6, 17));
    EXPECT_FALSE(PtInRegion(native, 6, 18));
    EXPECT_FALSE(PtInRegion(native, 5, 5));
    DeleteObject(native);
    auto readBack = form.windowRegion();
    ASSERT_TRUE(readBack.has_value());
    EXPECT_TRUE(readBack->samePixels(expected));

    // A click on either screen pixel of a program pixel lands on that program pixel.
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(13, 7));
    EXPECT_EQ(form.lastButton, platform::kLeftButton);
    EXPECT_FLOAT_EQ(form.lastX, 6 * 15.0f);
    EXPECT_FLOAT_EQ(form.lastY, 3 * 15.0f);
}

TEST(Win32Scale, BackBufferPixelsBecomeSquaresOfScreenPixelsWithoutBlending) {
    platform::testing::TestEnvironment env;
    DoubleDensity density;
    auto& form = platform::form<TestForm>();
    form.move(0, 0, 6 * 15, 4 * 15);
    form.setBackColor(platform::kWhite);
    const Color red = platform::rgb(255, 0, 0);
    const Color blue = platform::rgb(0, 0, 255);
    form.line(1 * 15, 1 * 15, 2 * 15, 1 * 15, red);
    form.line(2 * 15, 1 * 15, 3 * 15, 1 * 15, blue);

    // What the window shows, painted into a screen-sized bitmap: an area that starts and ends
    // inside program pixels still gets whole squares.
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 12, 8);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(target, bitmap);
    RECT all{0, 0, 12, 8};
    HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
    FillRect(target, &all, grey);
    DeleteObject(grey);
    RECT area{3, 3, 5, 4};
    platform::win32::paintBuffer(form.impl()->surface.dc(), target, area);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 12; ++x) {
            bool inside = x >= 2 && x < 6 && y >= 2 && y < 4;
            COLORREF want = !inside ? RGB(128, 128, 128) : x < 4 ? RGB(255, 0, 0) : RGB(0, 0, 255);
            EXPECT_EQ(GetPixel(target, x, y), want) << "at " << x << "," << y;
        }
    }
    SelectObject(target, old);
    DeleteObject(bitmap);
    DeleteDC(target);
}

namespace {

// The face a font of the program comes out as, and whether it has a glyph for a character.
struct ChosenFace {
    std::wstring name;
    TEXTMETRICW metrics{};
    bool hasGlyph = false;
};

ChosenFace chooseFace(const std::string& face, float points, bool bold, wchar_t probe) {
    HFONT font = platform::win32::createFont(face, points, bold);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    ChosenFace chosen;
    wchar_t name[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, name);
    chosen.name = name;
    GetTextMetricsW(dc, &chosen.metrics);
    WORD glyph = 0xFFFF;
    GetGlyphIndicesW(dc, &probe, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
    chosen.hasGlyph = glyph != 0xFFFF;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return chosen;
}

}  // namespace

TEST(Win32Fonts, MissingFacesComeOutAsTheirKindWithTheGlyphsTheTextNeeds) {
    platform::testing::TestEnvironment env;
    // A serif stays a serif on a system without it (the version box's version line).
    ChosenFace roman = chooseFace("Times New Roman", 9.75f, true, L'V');
    const bool serif = (roman.metrics.tmPitchAndFamily & 0xF0) == FF_ROMAN ||
                       roman.name == L"Times New Roman" || roman.name == L"Liberation Serif" ||
                       roman.name == L"Tinos" || roman.name == L"Nimbus Roman";
    EXPECT_TRUE(serif) << platform::win32::narrow(roman.name);
    EXPECT_GE(roman.metrics.tmWeight, FW_BOLD);
    // The Japanese faces, or whatever stands in for them, have Japanese glyphs.
    for (const char* face : {"ＭＳ Ｐ明朝", "ＭＳ Ｐゴシック"}) {
        ChosenFace japanese = chooseFace(face, 9, true, L'\u30C7');
        EXPECT_TRUE(japanese.hasGlyph)
            << face << " came out as " << platform::win32::narrow(japanese.name);
        EXPECT_GE(japanese.metrics.tmWeight, FW_BOLD) << face;
    }
}

TEST(Win32Fonts, MenuCaptionsGetAFontWithTheirGlyphs) {
    platform::testing::TestEnvironment env;
    const std::wstring japanese = L"\u8272\u5909\u66F4";  // 色変更
    HFONT latin = platform::win32::createFont("Times New Roman", 9, false);
    EXPECT_TRUE(platform::win32::fontHasGlyphs(latin, L"Version 1.0.0"));
    EXPECT_FALSE(platform::win32::fontHasGlyphs(latin, japanese));
    DeleteObject(latin);

    // Either the system's menu font shows the captions itself or the font handed back does.
    HFONT fallback = platform::win32::menuFallbackFont(japanese);
    if (fallback) {
        EXPECT_TRUE(platform::win32::fontHasGlyphs(fallback, japanese));
        DeleteObject(fallback);
    } else {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
        HFONT menu = CreateFontIndirectW(&metrics.lfMenuFont);
        EXPECT_TRUE(platform::win32::fontHasGlyphs(menu, japanese));
        DeleteObject(menu);
    }
    // Captions the menu font has need nothing of the program.
    EXPECT_EQ(platform::win32::menuFallbackFont(L"OK"), nullptr);
}

TEST(Win32Scale, TheProgramSeesFifteenTwipsPerPixelAndTheScreenInItsOwnPixels) {
    platform::testing::TestEnvironment env;
    DoubleDensity density;
    // The real screen, not the test's fixed one.
    auto fixed = platform::Screen::fixed();
    platform::Screen::setFixed(std::nullopt);
    EXPECT_DOUBLE_EQ(platform::Screen::twipsPerPixelX(), 15.0);
    EXPECT_DOUBLE_EQ(platform::Screen::twipsPerPixelY(), 15.0);
    EXPECT_EQ(platform::Screen::widthPixels(), GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(platform::Screen::heightPixels(), GetSystemMetrics(SM_CYSCREEN) / 2);
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    platform::Rect work = platform::Screen::workAreaPixels();
    EXPECT_EQ(work.right, area.right / 2);
    EXPECT_EQ(work.bottom, area.bottom / 2);
    platform::Screen::setFixed(fixed);
}
