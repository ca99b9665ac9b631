#pragma once
// Internal to the window layer: the text of a profile (INI) file, read and edited in memory.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Lines end with LF or CR LF; a last line may lack its line end, and a UTF-8 byte order mark
// before the first line is not part of it. "[name]" opens a section (blanks around the name do
// not count), "key=value" is an entry of the section above it, and every other line is kept but
// means nothing. Names match without regard to ASCII case; the first matching section and the
// first matching key in it are the ones that count.
class ProfileText {
public:
    // Views `text`, which must outlive this object.
    explicit ProfileText(std::string_view text);

    // The entry's value trimmed of blanks, with one pair of enclosing quotes (" or ') removed;
    // nothing when the section or the key does not exist.
    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;

    // The whole text with the entry set to `value`: an existing entry line is rewritten in place,
    // a new entry goes after the last entry of the section, a new section at the end. New line
    // ends are the text's own (CR LF when the text has none). Every other byte stays as it was.
    std::string withValue(std::string_view section, std::string_view key,
                          std::string_view value) const;

private:
    struct Line {
        std::size_t begin;  // first byte of the content
        std::size_t end;    // one past the content, before the line end
        std::size_t next;   // one past the line end
    };
    struct Entry {
        std::optional<std::size_t> sectionLine;
        std::optional<std::size_t> keyLine;
        // The section's last entry line, after which a new key goes.
        std::optional<std::size_t> lastKeyLine;
    };

    Entry find(std::string_view section, std::string_view key) const;

    std::string_view m_text;
    std::vector<Line> m_lines;
    std::string_view m_lineEnd;
    // What the last line lacks of its line end: nothing, the LF after a CR, or a whole one.
    std::string_view m_lastLineCompletion;
};

}  // namespace platform
