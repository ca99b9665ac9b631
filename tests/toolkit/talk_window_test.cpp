// The talk balloon: its outline, frame, size, place and rebuilding.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NamedTestForm.h"
#include "platform/Clock.h"
#include "platform/Color.h"
#include "platform/Form.h"
#include "platform/testing/TestEnvironment.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace {

using mod_RGN_UserFunction::MakeRGNTalkWindow;

struct BalloonTag {
    static constexpr const char* kName = "frmTalk";
};
using Balloon = NamedTestForm<BalloonTag>;

struct ProbeTag {
    static constexpr const char* kName = "frmProbe";
};
using Probe = NamedTestForm<ProbeTag>;

// Blanks that measure exactly `twips` in the balloon font and print no ink, so that the finished
// balloon still shows the outline as it stands before the text. Which blanks add up to a width
// depends on the face the system gives for the font's name (with IPAPGothic at 15 twips per
// pixel: a space of 3 pixels and a thin space of 2), so they are looked for among the space,
// the thin space and the hair space, fewest first. Empty when none fits.
std::string blankOfWidth(float twips) {
    Probe& probe = Probe::get();
    probe.setFontName("ＭＳ Ｐゴシック");
    probe.setFontSize(8.25F);
    const char* const blanks[] = {" ", "\u2009", "\u200A"};
    std::string found;
    for (int total = 1; total <= 6 && found.empty(); ++total) {
        for (int spaces = 0; spaces <= total && found.empty(); ++spaces) {
            for (int thin = 0; spaces + thin <= total && found.empty(); ++thin) {
                std::string text;
                for (int i = 0; i < spaces; ++i) text += blanks[0];
                for (int i = 0; i < thin; ++i) text += blanks[1];
                for (int i = spaces + thin; i < total; ++i) text += blanks[2];
                if (probe.textWidth(text) == twips) found = text;
            }
        }
    }
    platform::unload(probe);
    return found;
}

// The balloon for a text 5 pixels wide, tail at the lower left (B black, w white, . outside).
const std::vector<std::string> kBalloon5 = {
    "....................",  //
    ".......BBBBBBB......",  //
    ".....BBwwwwwwwBB....",  //
    "...BBwwwwwwwwwwwBB..",  //
    "...BwwwwwwwwwwwwwB..",  //
    "..BwwwwwwwwwwwwwwwB.",  //
    ".BwwwwwwwwwwwwwwwwwB",  //
    ".BwwwwwwwwwwwwwwwwwB",  //
    ".BwwwwwwwwwwwwwwwwwB",  //
    ".BwwwwwwwwwwwwwwwwwB",  //
    ".BwwwwwwwwwwwwwwwwwB",  //
    "..BwwwwwwwwwwwwwwwB.",  //
    "..BBwwwwwwwwwwwwwB..",  //
    "..BwwwwwwwwwwwwwBB..",  //
    ".BwwwwwwwwwwwwBB....",  //
    ".BwwwBBBBBBBBB......",  //
    "BwwBB...............",  //
    "BBB.................",  //
};

std::vector<std::string> mirrored(std::vector<std::string> rows) {
    for (auto& row : rows) row.assign(row.rbegin(), row.rend());
    return rows;
}

char pixelCode(platform::Color color) {
    if (color == platform::kBlack) return 'B';
    if (color == platform::kWhite) return 'w';
    return '?';
}

// What the screen shows of the balloon window: the frame child's pixels where its region lies,
// the window's back buffer elsewhere inside the window's region, '.' outside it.
std::vector<std::string> shownPicture(const platform::Form& window) {
    std::vector<std::string> rows;
    const auto region = window.windowRegion();
    const platform::PictureBox* frame = window.pictureBox("MakeRGNTalkWindowWaku");
    if (!region || !frame) return rows;
    const auto frameRegion = frame->windowRegion();
    for (int y = 0; y < window.heightPixels(); ++y) {
        std::string row;
        for (int x = 0; x < window.widthPixels(); ++x) {
            if (!region->contains(x, y)) {
                row += '.';
            } else if (frameRegion && frameRegion->contains(x, y)) {
                row += pixelCode(frame->backBufferPixel(x, y));
            } else {
                row += pixelCode(window.backBufferPixel(x, y));
            }
        }
        rows.push_back(row);
    }
    return rows;
}

class TalkWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_blank75 = blankOfWidth(75);
        if (!m_blank75.empty()) return;
#if defined(_WIN32)
        // GDI takes no glyphs from other faces, and IPAPGothic has no thin blanks.
        GTEST_SKIP() << "no blanks measure 75 twips in the balloon font";
#else
        FAIL() << "no blanks measure 75 twips in the balloon font";
#endif
    }

    platform::testing::TestEnvironment m_env;
    std::string m_blank75;
};

TEST_F(TalkWindowTest, TailAtTheLowerLeftShowsTheDocumentedBalloon) {
    MakeRGNTalkWindow(Balloon::slot(), m_blank75, 3000, 6000, 0);

    Balloon& window = Balloon::get();
    EXPECT_EQ(window.width(), 300);
    EXPECT_EQ(window.height(), 270);
    EXPECT_EQ(window.widthPixels(), 20);
    EXPECT_EQ(window.heightPixels(), 18);
    EXPECT_EQ(window.left(), 3000);
    EXPECT_EQ(window.top(), 6000 - 270);
    EXPECT_TRUE(window.visible());
    EXPECT_EQ(window.caption(), "MakeRGNTalkWindowTitle");
    EXPECT_EQ(window.fontName(), "ＭＳ Ｐゴシック");
    EXPECT_FLOAT_EQ(window.fontSize(), 8.25F);
    EXPECT_EQ(shownPicture(window), kBalloon5);
    const platform::PictureBox* frame = window.pictureBox("MakeRGNTalkWindowWaku");
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->visible());
    EXPECT_EQ(frame->left(), 0);
    EXPECT_EQ(frame->top(), 0);
    EXPECT_GE(frame->heightPixels(), 18);
}

TEST_F(TalkWindowTest, TailAtTheLowerRightPutsTheRightEdgeAtX) {
    MakeRGNTalkWindow(Balloon::slot(), m_blank75, 3000, 6000, 1);

    Balloon& window = Balloon::get();
    EXPECT_EQ(window.left() + window.width(), 3000);
    EXPECT_EQ(window.top(), 6000 - 270);
    EXPECT_EQ(shownPicture(window), mirrored(kBalloon5));
}

TEST_F(TalkWindowTest, EmptyTextGivesTheTwoEndsOnly) {
    MakeRGNTalkWindow(Balloon::slot(), "", 0, 270, 0);

    Balloon& window = Balloon::get();
    EXPECT_EQ(window.width(), 225);
    EXPECT_EQ(window.widthPixels(), 15);
    // The ends of the five-pixel balloon, pushed together.
    std::vector<std::string> expected;
    for (const auto& row : kBalloon5) expected.push_back(row.substr(0, 8) + row.substr(13));
    EXPECT_EQ(shownPicture(window), expected);
}

TEST_F(TalkWindowTest, TextIsPrintedInBlackInsideTheBody) {
    MakeRGNTalkWindow(Balloon::slot(), "KIPRUN!", 1500, 4500, 0);

    Balloon& window = Balloon::get();
    const float textWidth = window.textWidth("KIPRUN!");
    EXPECT_EQ(window.width(), textWidth + 225);
    const auto region = window.windowRegion();
    ASSERT_TRUE(region.has_value());
    int ink = 0;
    for (int y = 0; y < window.heightPixels(); ++y) {
        for (int x = 0; x < window.widthPixels(); ++x) {
            const platform::Color c = window.backBufferPixel(x, y);
            const bool inBody = y >= 2 && y <= 14 && x >= 8 && x < window.widthPixels() - 7;
            if (c != platform::kWhite && region->contains(x, y) && inBody) ++ink;
        }
    }
    EXPECT_GT(ink, 20);
}

TEST_F(TalkWindowTest, ASecondBalloonReplacesTheFirstCompletely) {
    Balloon::closeCount = 0;
    MakeRGNTalkWindow(Balloon::slot(), "残念・・・", 1500, 4500, 0);
    const platform::Form* first = Balloon::slot().peek();
    EXPECT_EQ(Balloon::get().caption(), "MakeRGNTalkWindowTitle");

    MakeRGNTalkWindow(Balloon::slot(), m_blank75, 3000, 6000, 0);

    Balloon& window = Balloon::get();
    EXPECT_NE(&window, first);
    EXPECT_EQ(Balloon::closeCount, 1);
    EXPECT_TRUE(m_env.messages().empty());
    EXPECT_EQ(window.caption(), "MakeRGNTalkWindowTitle");
    EXPECT_EQ(window.windowRegion()->boundingRect(), (platform::Rect{0, 1, 20, 18}));
    EXPECT_EQ(shownPicture(window), kBalloon5);
}

TEST_F(TalkWindowTest, LetsThePendingEventsRunOnce) {
    platform::VirtualClock& clock = m_env.clock();
    int due = 0;
    int later = 0;
    clock.post(clock.now(), [&] { ++due; });
    clock.post(clock.now() + 20, [&] { ++later; });
    const std::int64_t start = clock.now();

    MakeRGNTalkWindow(Balloon::slot(), "KIPRUN!", 1500, 4500, 0);

    EXPECT_EQ(due, 1);
    EXPECT_EQ(later, 0);
    EXPECT_EQ(clock.now(), start);
}

}  // namespace
