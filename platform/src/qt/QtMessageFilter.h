#pragma once
// What the program does with Qt's own messages. Qt reports a display it cannot reach with a
// core dump and advice about reinstalling, and it writes a warning for every event of a kind
// it does not handle, so another client can fill the session log by sending such events. The
// filter decides; the message handler that feeds it lives with the application's start-up.
// Internal to the Qt backend.

#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace platform::qt {

class QtMessageFilter {
public:
    // Qt's message types, in Qt's order.
    enum class Type { debug, warning, critical, fatal, info };

    enum class Verdict {
        show,             // written as Qt wrote it
        showFirstOfKind,  // written, with a note that repeats of its kind are not
        hide,             // not written
        displayUnusable,  // the display cannot be used: the program reports it and ends
        displayLost,      // the connection to the display broke: the program reports it
    };

    // `loggingRules` is the user's QT_LOGGING_RULES: when they turn on warnings of Qt's X11
    // platform, every one of them is shown.
    explicit QtMessageFilter(std::string_view loggingRules);

    // Safe to call from any thread: Qt writes messages from its event reader too.
    Verdict judge(Type type, std::string_view category, std::string_view text);

    // The display Qt said it could not connect to, or empty when it has not said so.
    std::string displayTried() const;

private:
    bool m_showAll;
    mutable std::mutex m_mutex;
    std::set<std::string, std::less<>> m_kindsShown;
    std::string m_displayTried;
    bool m_connectionFailed = false;
};

// Whether rules in QT_LOGGING_RULES' syntax ("category.level=true;..." with a `*` at either
// end of a category, the last matching rule winning) turn on messages of `level` ("debug",
// "info", "warning" or "critical") in `category`. False when no rule names them.
bool loggingRulesEnable(std::string_view rules, std::string_view category, std::string_view level);

}  // namespace platform::qt
