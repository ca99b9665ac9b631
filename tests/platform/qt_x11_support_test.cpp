// How the window layer tells XWayland from another X server.

#include <gtest/gtest.h>

#include "qt/X11Support.h"

namespace platform::qt::x11 {
namespace {

TEST(X11SupportTest, XWaylandOutputsAreKnownByTheirName) {
    EXPECT_TRUE(isXWaylandOutputName("XWAYLAND0"));
    EXPECT_TRUE(isXWaylandOutputName("XWAYLAND12"));
    // Outputs of Xorg's drivers, Xvfb's screen and a virtual monitor's connector.
    EXPECT_FALSE(isXWaylandOutputName("eDP-1"));
    EXPECT_FALSE(isXWaylandOutputName("screen"));
    EXPECT_FALSE(isXWaylandOutputName("Virtual-1"));
    EXPECT_FALSE(isXWaylandOutputName(""));
    EXPECT_FALSE(isXWaylandOutputName("XWAYLAN"));
    EXPECT_FALSE(isXWaylandOutputName("DP-XWAYLAND0"));
}

TEST(X11SupportTest, WithoutAnXServerThereIsNoXWayland) {
    // The tests run on Qt's offscreen platform: no X connection, so the popup menu never asks
    // a window manager for the focus.
    EXPECT_FALSE(isXWayland());
}

}  // namespace
}  // namespace platform::qt::x11
