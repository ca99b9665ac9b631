#include "common/ProfileText.h"

namespace platform {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

struct ParsedLine {
    enum Kind { kOther, kSection, kKey } kind = kOther;
    std::string_view name;
    std::string_view value;
};

ParsedLine parse(std::string_view content) {
    const std::string_view text = trimBlanks(content);
    if (!text.empty() && text.front() == '[') {
        const std::string_view inner = text.substr(1);
        return {ParsedLine::kSection, trimBlanks(inner.substr(0, inner.find(']'))), {}};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return {};
    return {ParsedLine::kKey, trimBlanks(text.substr(0, equals)),
            trimBlanks(text.substr(equals + 1))};
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

ProfileText::ProfileText(std::string_view text) : m_text(text), m_lineEnd("\r\n") {
    std::size_t begin = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    bool lineEndSeen = false;
    while (begin < text.size()) {
        const std::size_t newline = text.find('\n', begin);
        if (newline == std::string_view::npos) {
            // A last line cut after the CR of its CR LF ends there; it lacks only the LF.
            const bool cutCrlf = text.back() == '\r';
            m_lines.push_back({begin, cutCrlf ? text.size() - 1 : text.size(), text.size()});
            m_lastLineCompletion = cutCrlf ? std::string_view("\n") : m_lineEnd;
            break;
        }
        const bool crlf = newline > begin && text[newline - 1] == '\r';
        if (!lineEndSeen) {
            m_lineEnd = crlf ? "\r\n" : "\n";
            lineEndSeen = true;
        }
        m_lines.push_back({begin, crlf ? newline - 1 : newline, newline + 1});
        begin = newline + 1;
    }
}

ProfileText::Entry ProfileText::find(std::string_view section, std::string_view key) const {
    Entry entry;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        const ParsedLine parsed = parse(m_text.substr(line.begin, line.end - line.begin));
        if (parsed.kind == ParsedLine::kSection) {
            if (entry.sectionLine) break;  // the end of the first matching section
            if (sameName(parsed.name, section)) entry.sectionLine = i;
        } else if (parsed.kind == ParsedLine::kKey && entry.sectionLine) {
            entry.lastKeyLine = i;
            if (!entry.keyLine && sameName(parsed.name, key)) entry.keyLine = i;
        }
    }
    return entry;
}

std::optional<std::string_view> ProfileText::value(std::string_view section,
                                                   std::string_view key) const {
    const Entry entry = find(trimBlanks(section), trimBlanks(key));
    if (!entry.keyLine) return std::nullopt;
    const Line& line = m_lines[*entry.keyLine];
    std::string_view value = parse(m_text.substr(line.begin, line.end - line.begin)).value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string ProfileText::withValue(std::string_view section, std::string_view key,
                                   std::string_view value) const {
    section = trimBlanks(section);
    key = trimBlanks(key);
    const Entry entry = find(section, key);
    std::string result;
    result.reserve(m_text.size() + section.size() + key.size() + value.size() + 8);

    if (entry.keyLine) {
        const Line& line = m_lines[*entry.keyLine];
        // The key keeps the spelling the file gave it.
        const std::string_view fileKey =
            parse(m_text.substr(line.begin, line.end - line.begin)).name;
        result.append(m_text.substr(0, line.begin));
        result.append(fileKey).append("=").append(value);
        result.append(m_text.substr(line.end));
        return result;
    }

    std::string newLines;
    std::size_t at = m_text.size();
    if (entry.sectionLine) {
        at = m_lines[entry.lastKeyLine.value_or(*entry.sectionLine)].next;
    } else {
        newLines.append("[").append(section).append("]").append(m_lineEnd);
    }
    newLines.append(key).append("=").append(value).append(m_lineEnd);

    result.append(m_text.substr(0, at));
    // A last line without its line end gets one before anything is added after it.
    if (at == m_text.size()) result.append(m_lastLineCompletion);
    result.append(newLines);
    result.append(m_text.substr(at));
    return result;
}

}  // namespace platform
