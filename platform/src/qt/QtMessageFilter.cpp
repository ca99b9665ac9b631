#include "qt/QtMessageFilter.h"

#include <array>
#include <optional>

namespace platform::qt {

namespace {

constexpr std::string_view kXcbCategory = "qt.qpa.xcb";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A category pattern of a logging rule: a name with an optional `*` at either end.
bool patternMatches(std::string_view pattern, std::string_view category) {
    const bool anyStart = startsWith(pattern, "*");
    if (anyStart) pattern.remove_prefix(1);
    const bool anyEnd = endsWith(pattern, "*");
    if (anyEnd) pattern.remove_suffix(1);
    if (pattern.find('*') != std::string_view::npos) return false;  // Qt ignores such a rule
    if (anyStart && anyEnd) return category.find(pattern) != std::string_view::npos;
    if (anyStart) return endsWith(category, pattern);
    if (anyEnd) return startsWith(category, pattern);
    return category == pattern;
}

// The rule's verdict on (category, level), or nothing when it does not speak of them.
std::optional<bool> ruleVerdict(std::string_view rule, std::string_view category,
                                std::string_view level) {
    const auto equals = rule.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    std::string_view pattern = trimmed(rule.substr(0, equals));
    const std::string_view value = trimmed(rule.substr(equals + 1));
    if (value != "true" && value != "false") return std::nullopt;
    static constexpr std::array<std::string_view, 4> kLevels = {".debug", ".info", ".warning",
                                                                ".critical"};
    for (std::string_view suffix : kLevels) {
        if (endsWith(pattern, suffix)) {
            if (suffix.substr(1) != level) return std::nullopt;
            pattern.remove_suffix(suffix.size());
            break;
        }
    }
    if (!patternMatches(pattern, category)) return std::nullopt;
    return value == "true";
}

// The part of a message that names its kind: Qt's text up to the first detail it fills in.
std::string_view kindOf(std::string_view text) {
    return trimmed(text.substr(0, text.find_first_of("(:")));
}

// Warnings Qt's X11 platform writes for each event of a kind it leaves alone; any client can
// send such events to the program's windows.
bool isUnhandledEventNotice(std::string_view category, std::string_view text) {
    return startsWith(category, "qt.qpa.") && startsWith(text, "Unhandled ");
}

}  // namespace

bool loggingRulesEnable(std::string_view rules, std::string_view category, std::string_view level) {
    bool enabled = false;
    while (!rules.empty()) {
        const auto end = rules.find_first_of(";\n");
        const std::string_view rule = rules.substr(0, end);
        rules = end == std::string_view::npos ? std::string_view() : rules.substr(end + 1);
        if (const std::optional<bool> verdict = ruleVerdict(rule, category, level))
            enabled = *verdict;
    }
    return enabled;
}

QtMessageFilter::QtMessageFilter(std::string_view loggingRules)
    : m_showAll(loggingRulesEnable(loggingRules, kXcbCategory, "warning")) {}

QtMessageFilter::Verdict QtMessageFilter::judge(Type type, std::string_view category,
                                                std::string_view text) {
    std::lock_guard lock(m_mutex);
    if (type == Type::fatal) {
        // Qt gives up on its platform after the plugin could not connect; it would abort.
        return text.find("no Qt platform plugin could be initialized") != std::string_view::npos
                   ? Verdict::displayUnusable
                   : Verdict::show;
    }
    // The two notices before that end: the display's name is kept for the program's report.
    if (category == "qt.qpa.plugin" && startsWith(text, "Could not load the Qt platform plugin"))
        return Verdict::hide;
    if (type != Type::warning) return Verdict::show;
    constexpr std::string_view kNoConnection = "could not connect to display";
    if (category == kXcbCategory && startsWith(text, kNoConnection)) {
        std::string_view name = trimmed(text.substr(kNoConnection.size()));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        m_displayTried = std::string(name);
        m_connectionFailed = true;
        return Verdict::hide;
    }
    // Qt 6.5 and later name a library after any failure of the X11 plugin; after a failed
    // connection that advice misleads (the library is there), otherwise it may be the cause.
    if (category == "qt.qpa.plugin" && startsWith(text, "From 6.5.0, xcb-cursor0"))
        return m_connectionFailed ? Verdict::hide : Verdict::show;
    if (startsWith(text, "The X11 connection broke")) return Verdict::displayLost;
    if (!m_showAll && isUnhandledEventNotice(category, text)) {
        std::string kind = std::string(category) + ": " + std::string(kindOf(text));
        if (m_kindsShown.count(kind) != 0) return Verdict::hide;
        m_kindsShown.insert(std::move(kind));
        return Verdict::showFirstOfKind;
    }
    return Verdict::show;
}

std::string QtMessageFilter::displayTried() const {
    std::lock_guard lock(m_mutex);
    return m_displayTried;
}

}  // namespace platform::qt
