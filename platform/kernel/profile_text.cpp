#include "profile_text.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

} // namespace

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

ProfileText::Line ProfileText::parse_line(std::string_view text) {
    Line line;
    line.text = std::string(text);
    std::string_view body = trim_blanks(text);
    if (body.empty() || body.front() == ';')
        return line;
    if (body.front() == '[') {
        // The name ends at the last ']' of the line; without one the line is an entry.
        size_t close = body.rfind(']');
        if (close != std::string_view::npos) {
            line.kind = Kind::Section;
            line.name = std::string(trim_blanks(body.substr(1, close - 1)));
            return line;
        }
    }
    line.kind = Kind::Entry;
    size_t equals = body.find('=');
    line.name = std::string(trim_blanks(body.substr(0, equals)));
    if (equals == std::string_view::npos)
        return line;
    std::string_view value = trim_blanks(body.substr(equals + 1));
    // A value in matching quotes is read without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    line.value = std::string(value);
    return line;
}

ProfileText ProfileText::parse(std::string_view content) {
    ProfileText profile;
    bool newline_known = false;
    while (!content.empty()) {
        size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        std::string line_end;
        if (end != std::string_view::npos) {
            line_end = "\n";
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
                line_end = "\r\n";
            }
            if (!newline_known)
                profile.newline_ = line_end;
            newline_known = true;
        }
        profile.lines_.push_back(parse_line(line));
        profile.lines_.back().end = line_end;
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    }
    return profile;
}

// Every line is written back with its own end, so the lines a write does not touch stay
// byte for byte as they were.
std::string ProfileText::text() const {
    std::string out;
    for (size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i].text;
        out += lines_[i].end.empty() && i + 1 < lines_.size() ? newline_ : lines_[i].end;
    }
    return out;
}

std::optional<std::pair<size_t, size_t>> ProfileText::find_section(std::string_view section) const {
    section = trim_blanks(section);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section && iequals(lines_[i].name, section)) {
            size_t end = i + 1;
            while (end < lines_.size() && lines_[end].kind != Kind::Section)
                ++end;
            return std::make_pair(i, end);
        }
    }
    return std::nullopt;
}

std::optional<size_t> ProfileText::find_key(std::string_view section, std::string_view key) const {
    key = trim_blanks(key);
    auto range = find_section(section);
    if (!range)
        return std::nullopt;
    for (size_t i = range->first + 1; i < range->second; ++i) {
        if (lines_[i].kind == Kind::Entry && iequals(lines_[i].name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> ProfileText::value(std::string_view section,
                                              std::string_view key) const {
    auto index = find_key(section, key);
    if (!index)
        return std::nullopt;
    return lines_[*index].value;
}

std::vector<std::string> ProfileText::section_names() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Section && !line.name.empty())
            names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> ProfileText::key_names(std::string_view section) const {
    std::vector<std::string> names;
    if (auto range = find_section(section)) {
        for (size_t i = range->first + 1; i < range->second; ++i) {
            if (lines_[i].kind == Kind::Entry && !lines_[i].name.empty())
                names.push_back(lines_[i].name);
        }
    }
    return names;
}

ProfileText::Line ProfileText::new_line(std::string_view text) const {
    Line line = parse_line(text);
    line.end = newline_;
    return line;
}

bool ProfileText::set_value(std::string_view section, std::string_view key,
                            std::string_view value) {
    if (auto index = find_key(section, key)) {
        // The entry keeps the spelling of its name as it stands in the file.
        Line& line = lines_[*index];
        std::string text = line.name + "=" + std::string(value);
        if (line.text == text)
            return false;
        std::string end = line.end;
        line = parse_line(text);
        line.end = end;
        return true;
    }
    Line entry = new_line(std::string(trim_blanks(key)) + "=" + std::string(value));
    if (auto range = find_section(section)) {
        // After the section's last line that is not blank, so the blank line before the next
        // section stays where it is.
        size_t at = range->second;
        while (at > range->first + 1 && trim_blanks(lines_[at - 1].text).empty())
            --at;
        lines_.insert(lines_.begin() + at, entry);
        return true;
    }
    if (!lines_.empty() && !trim_blanks(lines_.back().text).empty())
        lines_.push_back(new_line(""));
    lines_.push_back(new_line("[" + std::string(trim_blanks(section)) + "]"));
    lines_.push_back(entry);
    return true;
}

bool ProfileText::remove_key(std::string_view section, std::string_view key) {
    auto index = find_key(section, key);
    if (!index)
        return false;
    lines_.erase(lines_.begin() + *index);
    return true;
}

bool ProfileText::remove_section(std::string_view section) {
    auto range = find_section(section);
    if (!range)
        return false;
    lines_.erase(lines_.begin() + range->first, lines_.begin() + range->second);
    return true;
}

} // namespace platform
