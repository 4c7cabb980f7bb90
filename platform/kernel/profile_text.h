// The text of a profile (INI) file, parsed the way Windows reads it and edited line by line,
// so that a write keeps every comment, blank line and entry it does not touch.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class ProfileText {
public:
    static ProfileText parse(std::string_view content);
    std::string text() const;

    // Names compare without regard to case. As on Windows only the first section of a name
    // and the first entry of a name in it count. No value for a missing entry, nor for a line
    // without '=' (which names a key but gives it no value).
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::vector<std::string> section_names() const;
    std::vector<std::string> key_names(std::string_view section) const;

    // Edits; each returns whether the text changed.
    bool set_value(std::string_view section, std::string_view key, std::string_view value);
    bool remove_key(std::string_view section, std::string_view key);
    bool remove_section(std::string_view section);

private:
    enum class Kind { Other, Section, Entry };
    struct Line {
        Kind kind = Kind::Other; // blank and comment lines are Other
        std::string text;        // as in the file, without the line end
        std::string end;         // "\n", "\r\n", or nothing on an unterminated last line
        std::string name;        // section or key name, blanks trimmed
        std::optional<std::string> value;
    };
    static Line parse_line(std::string_view text);
    Line new_line(std::string_view text) const;
    // The header of the section and the end of its lines; no value if it is missing.
    std::optional<std::pair<size_t, size_t>> find_section(std::string_view section) const;
    std::optional<size_t> find_key(std::string_view section, std::string_view key) const;

    std::vector<Line> lines_;
    std::string newline_ = "\n"; // the file's own line end, for the lines a write adds
};

// Blanks (spaces and tabs) removed from both ends.
std::string_view trim_blanks(std::string_view text);

} // namespace platform
