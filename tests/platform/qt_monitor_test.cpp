// The program's screen is the primary monitor: its work area among several monitors, the rule
// by which a reported work area is trusted, and the mapping of the program's positions onto the
// desktop.

#include <gtest/gtest.h>

#include <QWidget>

#include "common/WorkArea.h"
#include "platform/Form.h"
#include "platform/Screen.h"
#include "platform/testing/TestEnvironment.h"
#include "qt/X11WorkArea.h"

namespace {

using platform::Rect;
using platform::qt::x11::DesktopReservations;
using platform::qt::x11::primaryWorkArea;
using platform::qt::x11::Strut;
using platform::workarea::trusted;

// Two monitors side by side, bottom-aligned: S 1024x900 at 0,0, the primary 1280x800 at
// 1024,100 (the desktop 2304x900).
const Rect kRoot{0, 0, 2304, 900};
const Rect kPrimary{1024, 100, 2304, 900};

Strut bottomStrut(std::int64_t height, std::int64_t from, std::int64_t to) {
    return Strut{0, 0, 0, height, 0, 0, 0, 0, 0, 0, from, to};
}

TEST(PrimaryWorkArea, PerMonitorAreasComeFirstAndThePrimarysIsTheOneOverIt) {
    DesktopReservations desktop{kRoot, {{0, 0, 1024, 870}, {1024, 127, 2304, 900}}, 2, {}, {}};
    desktop.struts.push_back(bottomStrut(30, 0, 1023));
    desktop.workArea = Rect{0, 27, 2304, 870};
    EXPECT_EQ(primaryWorkArea(kPrimary, desktop), (Rect{1024, 127, 2304, 900}));
    // A window manager that sees one monitor where the program sees two: its one area is not
    // the primary's (the panel's strut is read instead).
    desktop.perMonitor = {{0, 0, 2304, 870}};
    EXPECT_EQ(primaryWorkArea(kPrimary, desktop), kPrimary);
}

TEST(PrimaryWorkArea, APanelOnTheOtherMonitorLeavesThePrimaryAlone) {
    // The desktop-wide work area is cut by the other monitor's panel along the whole width.
    DesktopReservations desktop{kRoot, {}, 2, {bottomStrut(30, 0, 1023)}, Rect{0, 0, 2304, 870}};
    EXPECT_EQ(primaryWorkArea(kPrimary, desktop), kPrimary);
    // A panel over the primary's columns cuts it; one that ends at the primary's first column
    // does not.
    desktop.struts = {bottomStrut(30, 0, 1023), bottomStrut(48, 1024, 2303)};
    EXPECT_EQ(primaryWorkArea(kPrimary, desktop).bottom, 852);
    desktop.struts = {bottomStrut(48, 0, 1024)};
    EXPECT_EQ(primaryWorkArea(kPrimary, desktop).bottom, 852);
    desktop.struts = {bottomStrut(48, 0, 1023)};
    EXPECT_EQ(primaryWorkArea(kPrimary, desktop).bottom, 900);
}

TEST(PrimaryWorkArea, StrutsCountFromTheDesktopsEdgeNotTheMonitors) {
    // The primary on top of a taller monitor's height: a panel at its bottom (row 800) reserves
    // 100 + 30 rows from the desktop's bottom; one at the desktop's bottom on the other monitor
    // reserves rows below the primary.
    const Rect topAligned{0, 0, 1280, 800};
    DesktopReservations desktop{kRoot, {}, 2, {bottomStrut(130, 0, 1279)}, {}};
    EXPECT_EQ(primaryWorkArea(topAligned, desktop), (Rect{0, 0, 1280, 770}));
    desktop.struts = {bottomStrut(30, 1280, 2303)};
    EXPECT_EQ(primaryWorkArea(topAligned, desktop), topAligned);
    // Left, right and top struts, and the older whole-edge form.
    desktop.struts = {Strut{40, 0, 24, 0, 0, 899, 0, 0, 0, 2303, 0, 0},
                      Strut{0, 1034, 0, 0, 0, 0, 0, 899, 0, 0, 0, 0}};
    EXPECT_EQ(primaryWorkArea(topAligned, desktop), (Rect{40, 24, 1270, 800}));
}

TEST(PrimaryWorkArea, AWindowManagersOwnReservationIsTheCutNoStrutExplains) {
    // openbox's bottom margin of 30 is in the desktop-wide work area and in no strut: it applies
    // along the desktop's bottom edge. A cut as deep as some strut is that strut's.
    DesktopReservations desktop{kRoot, {}, 2, {bottomStrut(20, 0, 1023)}, Rect{0, 24, 2304, 870}};
    EXPECT_EQ(primaryWorkArea(kPrimary, desktop), (Rect{1024, 100, 2304, 870}));
    desktop.struts = {bottomStrut(30, 0, 1023)};
    EXPECT_EQ(primaryWorkArea(kPrimary, desktop), kPrimary);
}

TEST(PrimaryWorkArea, WithoutReservationsTheDesktopsAreaIsClippedToThePrimary) {
    const DesktopReservations withArea{kRoot, {}, 2, {}, Rect{0, 0, 2304, 870}};
    EXPECT_EQ(primaryWorkArea(kPrimary, withArea), (Rect{1024, 100, 2304, 870}));
    const DesktopReservations nothing{kRoot, {}, 2, {}, {}};
    EXPECT_EQ(primaryWorkArea(kPrimary, nothing), kPrimary);
    // Per-monitor areas that lie over none of the primary are no answer.
    const DesktopReservations elsewhere{kRoot, {{0, 0, 1024, 870}, {0, 0, 10, 10}}, 2, {}, {}};
    EXPECT_EQ(primaryWorkArea(kPrimary, elsewhere), kPrimary);
}

TEST(TrustedWorkArea, OnlyASaneWorkAreaIsTrusted) {
    const Rect monitor{0, 0, 1024, 768};
    // A panel's work area stands; one reaching past the monitor is clipped to it.
    EXPECT_EQ(trusted({0, 0, 1024, 738}, 1024, 768, 103, 232), (Rect{0, 0, 1024, 738}));
    EXPECT_EQ(trusted({-50, 24, 5000, 900}, 1024, 768, 103, 232), (Rect{0, 24, 1024, 768}));
    // Empty, off the monitor, too low or too narrow for the scene: the whole monitor.
    EXPECT_EQ(trusted({0, 0, 0, 0}, 1024, 768, 103, 232), monitor);
    EXPECT_EQ(trusted({0, 0, 1024, 10}, 1024, 768, 103, 232), monitor);
    EXPECT_EQ(trusted({2000, 0, 3000, 768}, 1024, 768, 103, 232), monitor);
    EXPECT_EQ(trusted({0, 0, 100, 768}, 1024, 768, 103, 232), monitor);
    // 4294967295 read as -1 for position and size.
    EXPECT_EQ(trusted({-1, -1, -2, -2}, 1024, 768, 103, 232), monitor);
    // Extremes do not overflow.
    EXPECT_EQ(trusted({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 1024, 768, 103, 232), monitor);
    // Without a stated need only an empty area is refused.
    EXPECT_EQ(trusted({0, 700, 1024, 701}, 1024, 768, 0, 0), (Rect{0, 700, 1024, 701}));
}

TEST(TrustedWorkArea, TheScreenReportsTheTrustedArea) {
    platform::ScreenMetrics metrics;
    metrics.workAreaPixels = {0, 0, 1024, 10};
    platform::testing::TestEnvironment env(metrics);
    platform::Screen::setRoomNeeded(103, 232);
    EXPECT_EQ(platform::Screen::workAreaPixels(), (Rect{0, 0, 1024, 768}));
    platform::Screen::setRoomNeeded(0, 0);
    EXPECT_EQ(platform::Screen::workAreaPixels(), (Rect{0, 0, 1024, 10}));
}

class frmPlaced : public platform::Form {
public:
    frmPlaced() : Form("frmPlaced") {}
};

TEST(MonitorMapping, PositionsCountFromThePrimarysCorner) {
    // The primary right of another monitor, 100 rows down: a window the program puts at its
    // 30, 40 stands at 1054, 140 on the desktop and reads back 30, 40.
    platform::ScreenMetrics metrics;
    metrics.originX = 1024;
    metrics.originY = 100;
    platform::testing::TestEnvironment env(metrics);
    frmPlaced& form = platform::form<frmPlaced>();
    form.move(30 * 15, 40 * 15, 50 * 15, 20 * 15);
    form.show();
    auto* widget = QWidget::find(static_cast<WId>(form.hwnd()));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->pos(), QPoint(1054, 140));
    EXPECT_FLOAT_EQ(form.left(), 30 * 15);
    EXPECT_FLOAT_EQ(form.top(), 40 * 15);
    form.setLeft(0);
    EXPECT_EQ(widget->pos(), QPoint(1024, 140));
    // A window manager that moves it elsewhere is undone.
    widget->move(5, 5);
    EXPECT_EQ(widget->pos(), QPoint(1024, 140));
    platform::unload(form);
}

}  // namespace
