#include "toolkit/mod_RGN_Proc.h"

#include <string_view>
#include <utility>

#include "SpriteSize.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Color.h"
#include "platform/Form.h"
#include "platform/Numeric.h"
#include "platform/RuntimeError.h"
#include "platform/Screen.h"
#include "platform/Surface.h"
#include "shapes/mod_RGN_Data.h"
#include "toolkit/frm_RGN_Picture.h"

namespace mod_RGN_Proc {

namespace {

constexpr std::string_view kRegionDataFailure = "It failed in reading of region data.";
constexpr std::string_view kWindowCutFailure = "It failed in plastic surgery of a window.";
constexpr std::string_view kTalkMarkerCaption = "MakeRGNTalkWindowTitle";
constexpr std::string_view kTalkFrameName = "MakeRGNTalkWindowWaku";
constexpr std::string_view kTalkFontName = "ＭＳ Ｐゴシック";
constexpr float kTalkFontSize = 8.25F;
constexpr double kTalkHeight = 270;
// The end pieces are 8 pixels wide with the tail and 7 without, at 15 twips per pixel.
constexpr double kTailPieceWidth = 120;
constexpr double kPlainPieceWidth = 105;
constexpr float kTextLeft = 128;
constexpr float kTextTop = 52;

// A shaping failure cannot be recovered from: the user is told, and the process ends without
// running any close handler.
[[noreturn]] void failShaping(std::string_view text) {
    platform::messageBox(std::string(text));
    platform::end();
}

void ensureShapesLoaded() {
    if (!mod_RGN_Data::RGNShapesLoaded) {
        mod_RGN_Data::LoadRGNShapes();
        mod_RGN_Data::RGNShapesLoaded = -1;
    }
}

void ensureTalkShapesLoaded() {
    if (!mod_RGN_Data::RGNTalkShapesLoaded) {
        mod_RGN_Data::LoadRGNTalkShapes();
        mod_RGN_Data::RGNTalkShapesLoaded = -1;
    }
}

// The talk balloon's pieces for one tail side.
struct TalkGeometry {
    std::int32_t leftPiece;
    std::int32_t rightPiece;
    double rightPieceOffset;  // added to the text width
    double bodyLeft;          // twips, divided by whole twips per pixel
    std::int32_t leftOutline;
    std::int32_t rightOutline;
    double rightOutlineOffset;  // added to the text width
    float linesFrom;
};

constexpr TalkGeometry kTailLeft{10000, 10001, kTailPieceWidth, kTailPieceWidth,
                                 10004, 10005, kTailPieceWidth, kTailPieceWidth};
constexpr TalkGeometry kTailRight{10002, 10003, kPlainPieceWidth, kPlainPieceWidth, 10006,
                                  10007, 118,   kPlainPieceWidth};

}  // namespace

void ApplyRGN(std::int32_t Index, platform::Surface& Target, std::int32_t Flags, double OffsetX,
              double OffsetY, bool KeepRegion) {
    ensureShapesLoaded();
    if (!Target.autoRedraw()) Target.setAutoRedraw(true);
    if (Flags & kSizeWindow) SizeRGNWindow(Index, Target);
    if (Flags & kCutWindow) SetRGNToWindow(Index, Target, OffsetX, OffsetY, KeepRegion);
    Target.cls();
    if (Flags & kPaintPicture) PaintRGNPicture(Index, Target, OffsetX, OffsetY);
}

void SizeRGNWindow(std::int32_t Index, platform::Surface& Target) {
    const auto size = toolkit::spriteSize(Index);
    if (!size) return;
    Target.setHeight(static_cast<float>(size->height));
    Target.setWidth(static_cast<float>(size->width));
}

void SetRGNToWindow(std::int32_t Index, platform::Surface& Target, double OffsetX, double OffsetY,
                    bool KeepRegion) {
    platform::Region newRegion = CreateRGN(Index, OffsetX, OffsetY);
    if (KeepRegion) {
        // A window never cut has no region, and the new shape then stands alone.
        if (const auto present = Target.windowRegion()) newRegion.unite(*present);
    }
    if (!Target.setWindowRegion(std::move(newRegion), true)) {
        failShaping(kWindowCutFailure);
    }
}

platform::Region CreateRGN(std::int32_t Index, double OffsetX, double OffsetY) {
    mod_RGN_Data::ShapeRecordRef record{};
    try {
        record = mod_RGN_Data::LookupShapeRecord(Index);
    } catch (const mod_RGN_Data::SubscriptOutOfRange&) {
        platform::raise(platform::ErrorCode::kSubscriptOutOfRange);
    }
    std::optional<platform::Region> region =
        platform::Region::fromRegionData(record.data, record.byteCount);
    if (!region) failShaping(kRegionDataFailure);
    if (OffsetX != 0 || OffsetY != 0) {
        region->offset(platform::intDiv(OffsetX, platform::Screen::twipsPerPixelX()),
                       platform::intDiv(OffsetY, platform::Screen::twipsPerPixelY()));
    }
    return std::move(*region);
}

void PaintRGNPicture(std::int32_t Index, platform::Surface& Target, double OffsetX,
                     double OffsetY) {
    platform::Region clip = CreateRGN(Index, 0, 0);
    clip.offset(platform::intDiv(OffsetX, platform::Screen::twipsPerPixelX()),
                platform::intDiv(OffsetY, platform::Screen::twipsPerPixelY()));
    // The picture is fetched before the clip is selected, so that a rejected index leaves no
    // clip behind on the target.
    const platform::Picture& picture = platform::form<frm_RGN_Picture>().pPicture(Index);
    Target.selectClip(clip);
    Target.paintPicture(picture, static_cast<float>(OffsetX), static_cast<float>(OffsetY));
    Target.clearClip();
}

void MakeRGNTalkWindow(platform::FormSlot& Target, const std::string& Text, double X, double Y,
                       std::int32_t Kind) {
    platform::Form* window = &Target.get();
    window->cls();
    ensureTalkShapesLoaded();
    Y -= kTalkHeight;
    // A window that holds a balloon already is built afresh, so that neither its frame child
    // nor its old outline survives into the new balloon.
    if (window->caption() == kTalkMarkerCaption) {
        Target.unload();
        window = &Target.get();
    }
    window->setCaption(std::string(kTalkMarkerCaption));
    window->setFontName(std::string(kTalkFontName));
    window->setFontSize(kTalkFontSize);

    const double textWidth = window->textWidth(Text);
    const double balloonWidth = textWidth + kTailPieceWidth + kPlainPieceWidth;
    window->setWidth(static_cast<float>(balloonWidth));
    window->setHeight(static_cast<float>(kTalkHeight));
    const std::int32_t px = platform::roundToInt32(platform::Screen::twipsPerPixelX());
    const std::int32_t py = platform::roundToInt32(platform::Screen::twipsPerPixelY());

    platform::PictureBox& frame = window->addPictureBox(std::string(kTalkFrameName));
    frame.setWidth(static_cast<float>(balloonWidth));
    frame.setAppearance(0);
    frame.setBackColor(platform::kBlack);
    frame.setBorderStyle(0);
    frame.setAutoRedraw(true);
    frame.setVisible(true);
    // The tail's outline lies on the window's last two pixel rows; the frame must reach them
    // and lie exactly over the window.
    if (frame.left() != 0) frame.setLeft(0);
    if (frame.top() != 0) frame.setTop(0);
    if (frame.height() < kTalkHeight) frame.setHeight(static_cast<float>(kTalkHeight));

    window->setBackColor(platform::kWhite);

    platform::Region body;
    const TalkGeometry* geometry = Kind == 0 ? &kTailLeft : Kind == 1 ? &kTailRight : nullptr;
    if (geometry) {
        ApplyRGN(geometry->leftPiece, *window, kCutWindow, 0, 0, false);
        ApplyRGN(geometry->rightPiece, *window, kCutWindow, textWidth + geometry->rightPieceOffset,
                 0, true);
        body =
            platform::Region::rectangle(platform::intDiv(geometry->bodyLeft, px), 1,
                                        platform::checkedAdd(platform::intDiv(textWidth, px),
                                                             platform::intDiv(kTailPieceWidth, px)),
                                        16);
        ApplyRGN(geometry->leftOutline, frame, kCutWindow, 0, 0, false);
        ApplyRGN(geometry->rightOutline, frame, kCutWindow,
                 textWidth + geometry->rightOutlineOffset, 0, true);
        const float linesTo = window->width() - static_cast<float>(kPlainPieceWidth);
        const float topLine = static_cast<float>(py);
        const float bottomLine = window->height() - static_cast<float>(3 * py);
        window->line(geometry->linesFrom, topLine, linesTo, topLine, platform::kBlack);
        window->line(geometry->linesFrom, bottomLine, linesTo, bottomLine, platform::kBlack);
    }

    if (const auto present = window->windowRegion()) body.unite(*present);
    // A window that refuses the body keeps the outline of its two ends; nothing is reported.
    window->setWindowRegion(std::move(body), true);

    if (Kind == 1) X -= window->width();
    window->setForeColor(platform::kBlack);
    window->setCurrentY(kTextTop);
    window->setCurrentX(kTextLeft);
    window->print(Text);
    window->move(static_cast<float>(X), static_cast<float>(Y));
    window->show();
    platform::doEvents();
}

}  // namespace mod_RGN_Proc
