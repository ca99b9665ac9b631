// Run-time errors, the event dispatcher that reports them, end(), and menu clicks.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Backend.h"
#include "platform/Application.h"
#include "platform/Menu.h"
#include "platform/RuntimeError.h"

namespace {

using platform::ErrorCode;

// Message boxes and ends recorded instead of shown and performed.
class DispatchTest : public ::testing::Test {
protected:
    DispatchTest() {
        platform::setMessageBoxHandler([this](const std::string& text) {
            messages.push_back(text);
            if (duringMessageBox) duringMessageBox();
        });
        platform::setEndHandler([this] { ++ends; });
    }
    ~DispatchTest() override {
        platform::setMessageBoxHandler(nullptr);
        platform::setEndHandler(nullptr);
    }

    std::vector<std::string> messages;
    std::function<void()> duringMessageBox;
    int ends = 0;
};

TEST(RuntimeErrorTest, ReportNamesCodeAndDescription) {
    EXPECT_EQ(platform::RuntimeError(ErrorCode::kOverflow).report(),
              "Run-time error '6':\n\nOverflow");
    EXPECT_EQ(platform::RuntimeError(ErrorCode::kSubscriptOutOfRange).report(),
              "Run-time error '9':\n\nSubscript out of range");
    EXPECT_EQ(platform::RuntimeError(ErrorCode::kDivisionByZero).report(),
              "Run-time error '11':\n\nDivision by zero");
    EXPECT_EQ(platform::RuntimeError(ErrorCode::kInvalidArgument).report(),
              "Run-time error '5':\n\nInvalid procedure call or argument");
}

TEST_F(DispatchTest, RunTimeErrorIsReportedAndEndsTheProgram) {
    bool after = false;
    EXPECT_THROW(platform::dispatch([&] {
                     platform::raise(ErrorCode::kOverflow);
                     after = true;
                 }),
                 platform::EndRequested);
    EXPECT_FALSE(after);
    EXPECT_EQ(messages, (std::vector<std::string>{"Run-time error '6':\n\nOverflow"}));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(platform::dispatchDepth(), 0);

    // The next test's program runs normally.
    bool ran = false;
    platform::dispatch([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST_F(DispatchTest, ErrorInANestedHandlerIsReportedOnce) {
    EXPECT_THROW(platform::dispatch([] {
                     platform::dispatch([] { platform::raise(ErrorCode::kSubscriptOutOfRange); });
                 }),
                 platform::EndRequested);
    EXPECT_EQ(messages.size(), 1U);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(platform::dispatchDepth(), 0);
}

TEST_F(DispatchTest, OtherExceptionsAreReportedAndDoNotEscape) {
    EXPECT_THROW(platform::dispatch([] { (void)std::vector<int>{}.at(3); }),
                 platform::EndRequested);
    EXPECT_THROW(platform::dispatch([] { throw 42; }), platform::EndRequested);
    ASSERT_EQ(messages.size(), 2U);
    EXPECT_EQ(messages[0].rfind("Run-time error '", 0), 0U);
    EXPECT_EQ(ends, 2);
}

TEST_F(DispatchTest, EndRequestedPassesThroughUnchanged) {
    try {
        platform::dispatch([] { platform::dispatch([] { throw platform::EndRequested{3}; }); });
        FAIL();
    } catch (const platform::EndRequested& e) {
        EXPECT_EQ(e.exitCode, 3);
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(platform::dispatchDepth(), 0);
}

TEST_F(DispatchTest, NoHandlerRunsWhileTheErrorIsReported) {
    bool ranDuringReport = false;
    duringMessageBox = [&] { platform::dispatch([&] { ranDuringReport = true; }); };
    EXPECT_THROW(platform::dispatch([] { platform::raise(ErrorCode::kOverflow); }),
                 platform::EndRequested);
    EXPECT_FALSE(ranDuringReport);
}

TEST(MenuTest, ItemArraysAreFoundByNameAndIndex) {
    platform::MenuItem colors("mColorMenu", "色");
    const char* captions[] = {"黒", "青", "桃", "白"};
    for (int i = 0; i < 4; ++i) colors.add("mColor", captions[i], i);
    colors.add("sep001", "-");
    EXPECT_EQ(colors.countOf("mColor"), 4);
    ASSERT_NE(colors.find("mColor", 2), nullptr);
    EXPECT_EQ(colors.find("mColor", 2)->caption(), "桃");
    EXPECT_EQ(colors.find("mColor", 2)->parent(), &colors);
    EXPECT_EQ(colors.find("mColor", 4), nullptr);
    EXPECT_EQ(colors.find("mColor"), nullptr);
}

TEST_F(DispatchTest, MenuClickRunsThroughTheDispatcher) {
    platform::MenuItem popup("mnuPopup", "Popup");
    int clicks = 0;
    int depth = 0;
    platform::MenuItem& item = popup.add("mVersion", "バージョン情報");
    item.setOnClick([&] {
        ++clicks;
        depth = platform::dispatchDepth();
    });
    item.click();
    EXPECT_EQ(depth, 1);
    item.setEnabled(false);
    item.click();
    EXPECT_EQ(clicks, 1);

    platform::MenuItem& failing = popup.add("mEnd", "終了");
    failing.setOnClick([] { platform::raise(ErrorCode::kInvalidArgument); });
    EXPECT_THROW(failing.click(), platform::EndRequested);
    EXPECT_EQ(messages.size(), 1U);
}

TEST_F(DispatchTest, MenuItemMayBeDestroyedByItsOwnClick) {
    auto menu = std::make_unique<platform::MenuItem>("mnuPopup", "Popup");
    bool ranToTheEnd = false;
    std::string caption;
    menu->setOnClick([&, text = std::string(64, 'x')] {
        menu.reset();
        caption = text;  // the handler's own state is still there
        ranToTheEnd = true;
    });
    menu->click();
    EXPECT_TRUE(ranToTheEnd);
    EXPECT_EQ(caption, std::string(64, 'x'));
}

}  // namespace
