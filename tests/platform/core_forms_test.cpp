// The global instances of the window classes: loading on first reference, unloading with the
// close handler, and the collection of loaded windows.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/Backend.h"
#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/RuntimeError.h"
#include "platform/testing/TestEnvironment.h"

namespace {

std::vector<std::string> g_journal;

// A window class per tag, each with its own global instance, writing what happens to it into
// the journal.
template <class Tag>
class JournalForm : public platform::Form {
public:
    JournalForm() : Form(Tag::kName), serial(++created) {}
    ~JournalForm() override { g_journal.push_back(std::string("free ") + Tag::kName); }

    static JournalForm& get() { return platform::form<JournalForm>(); }
    static bool loaded() { return platform::isLoaded<JournalForm>(); }

    static inline int created = 0;
    static inline std::function<void(JournalForm&)> onLoadDo;
    static inline std::function<void(JournalForm&)> onCloseDo;
    const int serial;

protected:
    void onLoad() override {
        g_journal.push_back(std::string("load ") + Tag::kName);
        if (onLoadDo) onLoadDo(*this);
    }
    void onQueryUnload() override {
        g_journal.push_back(std::string("close ") + Tag::kName);
        if (onCloseDo) onCloseDo(*this);
    }
};

struct ManTag {
    static constexpr const char* kName = "frmMan";
};
struct BallTag {
    static constexpr const char* kName = "frmBall";
};
struct TalkTag {
    static constexpr const char* kName = "frmTalk";
};
using Man = JournalForm<ManTag>;
using Ball = JournalForm<BallTag>;
using Talk = JournalForm<TalkTag>;

std::vector<std::string> loadedNames() {
    std::vector<std::string> names;
    for (platform::Form* f : platform::loadedForms()) names.push_back(f->name());
    return names;
}

class FormsTest : public ::testing::Test {
protected:
    FormsTest() {
        g_journal.clear();
        Man::onLoadDo = nullptr;
        Ball::onLoadDo = nullptr;
        Talk::onLoadDo = nullptr;
        Man::onCloseDo = nullptr;
        Ball::onCloseDo = nullptr;
        Talk::onCloseDo = nullptr;
        liveBefore = platform::Form::liveCount();
    }
    ~FormsTest() override { platform::resetFormsForTests(); }

    platform::testing::TestEnvironment env;
    std::int64_t liveBefore = 0;
};

TEST_F(FormsTest, FirstReferenceLoadsOnceAndTheCollectionKeepsCreationOrder) {
    Man::onLoadDo = [](Man&) {
        // A reference from inside the load event finds the instance being loaded.
        Man::get();
        Ball::get();
    };
    Talk& talk = Talk::get();
    Man& man = Man::get();
    EXPECT_EQ(&Man::get(), &man);
    EXPECT_TRUE(man.isLoaded());
    EXPECT_EQ(g_journal, (std::vector<std::string>{"load frmTalk", "load frmMan", "load frmBall"}));
    EXPECT_EQ(loadedNames(), (std::vector<std::string>{"frmTalk", "frmMan", "frmBall"}));
    EXPECT_EQ(platform::Form::liveCount(), liveBefore + 3);
    (void)talk;
}

TEST_F(FormsTest, UnloadRunsTheCloseHandlerWhileTheWindowIsStillLoaded) {
    Man::get();
    Ball::get();
    std::vector<std::string> seenByCloseHandler;
    bool loadedDuringClose = false;
    Ball::onCloseDo = [&](Ball& ball) {
        seenByCloseHandler = loadedNames();
        loadedDuringClose = ball.isLoaded();
    };
    platform::unload(Ball::get());
    EXPECT_EQ(seenByCloseHandler, (std::vector<std::string>{"frmMan", "frmBall"}));
    EXPECT_TRUE(loadedDuringClose);
    EXPECT_FALSE(Ball::loaded());
    EXPECT_EQ(loadedNames(), (std::vector<std::string>{"frmMan"}));
    // Unloaded outside any handler, the object is freed at once.
    EXPECT_EQ(g_journal.back(), "free frmBall");
    EXPECT_EQ(platform::Form::liveCount(), liveBefore + 1);
}

TEST_F(FormsTest, CloseHandlersThatUnloadEachOtherRunOnceEach) {
    Man::get();
    Ball::get();
    Man::onCloseDo = [](Man&) { platform::slotOf<Ball>().unload(); };
    Ball::onCloseDo = [](Ball&) { platform::slotOf<Man>().unload(); };
    platform::dispatch([] { platform::unload(Man::get()); });
    const auto count = [](const std::string& entry) {
        return std::count(g_journal.begin(), g_journal.end(), entry);
    };
    EXPECT_EQ(count("close frmMan"), 1);
    EXPECT_EQ(count("close frmBall"), 1);
    EXPECT_EQ(count("free frmMan"), 1);
    EXPECT_EQ(count("free frmBall"), 1);
    EXPECT_TRUE(platform::loadedForms().empty());
}

TEST_F(FormsTest, ReferenceAfterUnloadLoadsAFreshInstance) {
    const int first = Talk::get().serial;
    platform::slotOf<Talk>().unload();
    platform::slotOf<Talk>().unload();  // not loaded: nothing happens
    const int second = Talk::get().serial;
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(g_journal, (std::vector<std::string>{"load frmTalk", "close frmTalk", "free frmTalk",
                                                   "load frmTalk"}));
}

TEST_F(FormsTest, UnloadedWindowLivesUntilTheOutermostHandlerReturns) {
    Man::get();
    std::string nameAfterUnload;
    std::int64_t liveInside = 0;
    platform::dispatch([&] {
        platform::dispatch([&] {
            Man& man = Man::get();
            platform::unload(man);
            EXPECT_FALSE(Man::loaded());
            nameAfterUnload = man.name();  // still a valid object
        });
        liveInside = platform::Form::liveCount();
        EXPECT_EQ(std::count(g_journal.begin(), g_journal.end(), "free frmMan"), 0);
    });
    EXPECT_EQ(nameAfterUnload, "frmMan");
    EXPECT_EQ(liveInside, liveBefore + 1);
    EXPECT_EQ(platform::Form::liveCount(), liveBefore);
    EXPECT_EQ(g_journal.back(), "free frmMan");
}

TEST_F(FormsTest, WindowUnloadingItselfInItsOwnCloseHandlerClosesOnce) {
    Talk::onCloseDo = [](Talk& talk) { platform::unload(talk); };
    platform::dispatch([] { platform::unload(Talk::get()); });
    EXPECT_EQ(std::count(g_journal.begin(), g_journal.end(), "close frmTalk"), 1);
}

TEST_F(FormsTest, LoadEventRunsAsAHandler) {
    int depth = 0;
    Ball::onLoadDo = [&](Ball&) { depth = platform::dispatchDepth(); };
    Ball::get();
    EXPECT_EQ(depth, 1);

    Talk::onLoadDo = [](Talk&) { platform::raise(platform::ErrorCode::kOverflow); };
    EXPECT_THROW(Talk::get(), platform::EndRequested);
    EXPECT_EQ(env.messages(), (std::vector<std::string>{"Run-time error '6':\n\nOverflow"}));
    EXPECT_EQ(env.endCount(), 1);
}

TEST_F(FormsTest, LoadEventThatUnloadsItsWindowGivesNoDanglingReference) {
    Talk::onLoadDo = [](Talk& talk) { platform::unload(talk); };
    try {
        Talk::get();
        FAIL() << "a reference to an unloaded window was handed out";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.code(), platform::ErrorCode::kObjectUnloaded);
    }
    EXPECT_EQ(platform::Form::liveCount(), liveBefore);
}

TEST_F(FormsTest, ResetRunsNoHandlerAndDefersFreeingInsideAHandler) {
    Man::get();
    Ball::get();
    platform::dispatch([&] {
        platform::resetFormsForTests();
        EXPECT_TRUE(platform::loadedForms().empty());
        EXPECT_EQ(platform::Form::liveCount(), liveBefore + 2);
    });
    EXPECT_EQ(g_journal, (std::vector<std::string>{"load frmMan", "load frmBall", "free frmBall",
                                                   "free frmMan"}));
    EXPECT_EQ(platform::Form::liveCount(), liveBefore);
}

}  // namespace
