// What the program makes of Qt's messages: a display Qt cannot use, notices about events that
// any client can send by the hundred, and the user's logging rules.

#include <gtest/gtest.h>

#include "qt/QtMessageFilter.h"

namespace platform::qt {
namespace {

using Type = QtMessageFilter::Type;
using Verdict = QtMessageFilter::Verdict;

TEST(QtMessageFilterTest, AFailedConnectionOfQtEndsInTheProgramsOwnReport) {
    QtMessageFilter filter("");
    // What Qt 6.4 writes when its own connection fails, in order; then it would abort.
    EXPECT_EQ(filter.judge(Type::warning, "qt.qpa.xcb", "could not connect to display :999"),
              Verdict::hide);
    EXPECT_EQ(filter.judge(Type::info, "qt.qpa.plugin",
                           "Could not load the Qt platform plugin \"xcb\" in \"\" even though "
                           "it was found."),
              Verdict::hide);
    EXPECT_EQ(filter.judge(Type::fatal, "default",
                           "This application failed to start because no Qt platform plugin "
                           "could be initialized. Reinstalling the application may fix this "
                           "problem.\n\nAvailable platform plugins are: offscreen, xcb."),
              Verdict::displayUnusable);
    EXPECT_EQ(filter.displayTried(), ":999");
    QtMessageFilter quoted("");
    quoted.judge(Type::warning, "qt.qpa.xcb", "could not connect to display \"host:1.0\"");
    EXPECT_EQ(quoted.displayTried(), "host:1.0");
    // Qt 6.8 names a library after any failure of its X11 plugin: beside a failed connection
    // that is not the cause, without one it may be.
    constexpr const char* kLibraryAdvice =
        "From 6.5.0, xcb-cursor0 or libxcb-cursor0 is needed to load the Qt xcb platform plugin.";
    EXPECT_EQ(quoted.judge(Type::warning, "qt.qpa.plugin", kLibraryAdvice), Verdict::hide);
    QtMessageFilter libraryMissing("");
    EXPECT_EQ(libraryMissing.judge(Type::warning, "qt.qpa.plugin", kLibraryAdvice), Verdict::show);
    // Other fatal messages keep their course; the X server's end is the program's to report.
    EXPECT_EQ(filter.judge(Type::fatal, "default", "ASSERT: \"x\" in file a.cpp, line 1"),
              Verdict::show);
    EXPECT_EQ(filter.judge(Type::warning, "default",
                           "The X11 connection broke (error 1). Did the X11 server die?"),
              Verdict::displayLost);
}

TEST(QtMessageFilterTest, EventsNobodyActsOnAreReportedOncePerKindAndErrorsAlways) {
    QtMessageFilter filter("");
    EXPECT_EQ(filter.judge(Type::warning, "qt.qpa.xcb", "Unhandled WM_PROTOCOLS (_KIPRUN_A)"),
              Verdict::showFirstOfKind);
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(filter.judge(Type::warning, "qt.qpa.xcb", "Unhandled WM_PROTOCOLS (_KIPRUN_A)"),
                  Verdict::hide);
    }
    // Another atom is the same kind: a sender cycling through names gains nothing.
    EXPECT_EQ(filter.judge(Type::warning, "qt.qpa.xcb", "Unhandled WM_PROTOCOLS (_KIPRUN_B)"),
              Verdict::hide);
    EXPECT_EQ(filter.judge(Type::warning, "qt.qpa.xcb", "Unhandled client message:  \"_X\""),
              Verdict::showFirstOfKind);
    EXPECT_EQ(filter.judge(Type::warning, "qt.qpa.xcb", "Unhandled client message:  \"_Y\""),
              Verdict::hide);
    const char* error =
        "QXcbConnection: XCB error: 3 (BadWindow), sequence: 812, resource id: 4194311, major "
        "code: 18 (ChangeProperty), minor code: 0";
    EXPECT_EQ(filter.judge(Type::warning, "qt.qpa.xcb", error), Verdict::show);
    EXPECT_EQ(filter.judge(Type::warning, "qt.qpa.xcb", error), Verdict::show);
    EXPECT_EQ(filter.judge(Type::critical, "qt.qpa.xcb", "Unhandled thing"), Verdict::show);
}

TEST(QtMessageFilterTest, TheUsersLoggingRulesCanAskForEveryNotice) {
    for (const char* rules : {"qt.qpa.xcb.warning=true", "qt.qpa.*=true", "*=true", " *xcb = true ",
                              "*qpa*=true", "qt.qpa.xcb=false\nqt.qpa.xcb=true"}) {
        QtMessageFilter filter(rules);
        filter.judge(Type::warning, "qt.qpa.xcb", "Unhandled WM_PROTOCOLS (_A)");
        EXPECT_EQ(filter.judge(Type::warning, "qt.qpa.xcb", "Unhandled WM_PROTOCOLS (_A)"),
                  Verdict::show)
            << rules;
    }
    // Rules for other levels or categories, a later rule turning it off, rules Qt ignores.
    for (const char* rules :
         {"qt.qpa.xcb.debug=true", "qt.qpa.xcb.critical=true", "qt.qpa=true",
          "qt.qpa.xcb=true;qt.qpa.xcb=false", "qt.*.xcb=true", "qt.qpa.xcb=yes", "garbage;=true"}) {
        QtMessageFilter filter(rules);
        filter.judge(Type::warning, "qt.qpa.xcb", "Unhandled WM_PROTOCOLS (_A)");
        EXPECT_EQ(filter.judge(Type::warning, "qt.qpa.xcb", "Unhandled WM_PROTOCOLS (_A)"),
                  Verdict::hide)
            << rules;
    }
}

}  // namespace
}  // namespace platform::qt
