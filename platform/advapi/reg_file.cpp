#include "reg_file.h"

#include <winreg.h>

#include <cstdio>

namespace platform::reg {

namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits, the whole of `s`.
std::optional<DWORD> parse_hex_dword(std::string_view s) {
    if (s.empty() || s.size() > 8)
        return std::nullopt;
    DWORD v = 0;
    for (char c : s) {
        int d = hex_digit(c);
        if (d < 0)
            return std::nullopt;
        v = (v << 4) | static_cast<DWORD>(d);
    }
    return v;
}

// "aa,bb,..." with optional white space; an empty list is no bytes.
std::optional<std::vector<BYTE>> parse_hex_list(std::string_view s) {
    std::vector<BYTE> bytes;
    s = trim(s);
    if (s.empty())
        return bytes;
    while (true) {
        size_t comma = s.find(',');
        std::string_view item = trim(s.substr(0, comma));
        if (item.empty() || item.size() > 2)
            return std::nullopt;
        auto v = parse_hex_dword(item);
        if (!v)
            return std::nullopt;
        bytes.push_back(static_cast<BYTE>(*v));
        if (comma == std::string_view::npos)
            return bytes;
        s.remove_prefix(comma + 1);
    }
}

// A quoted string at the start of `s` with \\ and \" escapes; `s` is left after the quote.
std::optional<std::string> parse_quoted(std::string_view& s) {
    if (s.empty() || s.front() != '"')
        return std::nullopt;
    std::string out;
    for (size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                return std::nullopt;
            c = s[++i];
        }
        out.push_back(c);
    }
    return std::nullopt;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<RegFile> run(std::string* error) {
        if (text_.starts_with("\xEF\xBB\xBF"))
            text_.remove_prefix(3);
        if (text_.find('\0') != std::string_view::npos)
            return fail(error, "NUL byte (not ASCII or UTF-8 text)");
        RegFile file;
        bool header = false;
        while (next_line()) {
            std::string_view line = trim(line_);
            if (line.empty() || line.front() == ';')
                continue;
            if (!header) {
                if (line != kHeader5 && line != kHeader4)
                    return fail(error, "missing header");
                header = true;
                continue;
            }
            if (line.front() == '[') {
                if (line.back() != ']' || line.size() < 3)
                    return fail(error, "bad key line");
                FileSection section;
                std::string_view path = line.substr(1, line.size() - 2);
                if (path.front() == '-') {
                    section.remove = true;
                    path.remove_prefix(1);
                }
                if (path.empty())
                    return fail(error, "empty key name");
                section.path = std::string(path);
                file.sections.push_back(std::move(section));
                continue;
            }
            if (file.sections.empty())
                return fail(error, "value outside a key");
            auto entry = parse_entry(line);
            if (!entry)
                return fail(error, "bad value line");
            file.sections.back().entries.push_back(std::move(*entry));
        }
        if (!header && !file.sections.empty())
            return fail(error, "missing header");
        return file;
    }

private:
    static std::optional<RegFile> fail(std::string* error, const char* why) {
        if (error)
            *error = why;
        return std::nullopt;
    }

    bool next_line() {
        if (pos_ >= text_.size())
            return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        line_ = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        return true;
    }

    std::optional<FileEntry> parse_entry(std::string_view line) {
        FileEntry entry;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            auto name = parse_quoted(line);
            if (!name)
                return std::nullopt;
            entry.name = std::move(*name);
        }
        line = trim(line);
        if (line.empty() || line.front() != '=')
            return std::nullopt;
        std::string_view data = trim(line.substr(1));
        if (data == "-") {
            entry.remove = true;
            return entry;
        }
        if (!data.empty() && data.front() == '"') {
            auto s = parse_quoted(data);
            if (!s || !trim(data).empty())
                return std::nullopt;
            entry.type = REG_SZ;
            entry.data.assign(s->begin(), s->end());
            entry.data.push_back(0);
            return entry;
        }
        if (data.starts_with("dword:")) {
            auto v = parse_hex_dword(data.substr(6));
            if (!v)
                return std::nullopt;
            entry.type = REG_DWORD;
            for (int i = 0; i < 4; ++i)
                entry.data.push_back(static_cast<BYTE>(*v >> (8 * i)));
            return entry;
        }
        if (data.starts_with("hex")) {
            data.remove_prefix(3);
            entry.type = REG_BINARY;
            if (data.starts_with("(")) {
                size_t close = data.find(')');
                if (close == std::string_view::npos)
                    return std::nullopt;
                auto type = parse_hex_dword(data.substr(1, close - 1));
                if (!type)
                    return std::nullopt;
                entry.type = *type;
                data.remove_prefix(close + 1);
            }
            if (!data.starts_with(":"))
                return std::nullopt;
            data.remove_prefix(1);
            // A long list continues on the next lines after a trailing backslash.
            std::string list(data);
            while (!list.empty() && list.back() == '\\') {
                list.pop_back();
                if (!next_line())
                    return std::nullopt;
                list += trim(line_);
            }
            auto bytes = parse_hex_list(list);
            if (!bytes)
                return std::nullopt;
            entry.data = std::move(*bytes);
            return entry;
        }
        return std::nullopt;
    }

    std::string_view text_;
    size_t pos_ = 0;
    std::string_view line_;
};

void append_quoted(std::string& out, std::string_view s) {
    out += '"';
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

// REG_SZ is written as a string only when that gives back exactly the same bytes.
bool plain_string(const Value& v) {
    if (v.type != REG_SZ || v.data.empty() || v.data.back() != 0)
        return false;
    for (size_t i = 0; i + 1 < v.data.size(); ++i)
        if (v.data[i] == 0 || v.data[i] == '\n' || v.data[i] == '\r')
            return false;
    return true;
}

void append_value(std::string& out, const Value& v) {
    size_t line_start = out.size();
    if (v.name.empty())
        out += '@';
    else
        append_quoted(out, v.name);
    out += '=';
    if (plain_string(v)) {
        append_quoted(
            out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
        out += '\n';
        return;
    }
    char buf[32];
    if (v.type == REG_DWORD && v.data.size() == 4) {
        DWORD d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (DWORD(v.data[3]) << 24);
        std::snprintf(buf, sizeof buf, "dword:%08x\n", d);
        out += buf;
        return;
    }
    if (v.type == REG_BINARY)
        out += "hex:";
    else {
        std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
        out += buf;
    }
    // Lines wrap before 80 columns, as regedit writes them.
    for (size_t i = 0; i < v.data.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", v.data[i]);
        out += buf;
        if (i + 1 < v.data.size()) {
            out += ',';
            if (out.size() - line_start > 75) {
                out += "\\\n  ";
                line_start = out.size() - 2;
            }
        }
    }
    out += '\n';
}

void append_key(std::string& out, const Key& key, const std::string& full_name) {
    out += '\n';
    out += '[' + full_name + "]\n";
    for (const Value& v : key.values)
        append_value(out, v);
    for (const Key& sub : key.subkeys)
        append_key(out, sub, full_name + '\\' + sub.name);
}

} // namespace

std::optional<RegFile> parse_reg_file(std::string_view text, std::string* error) {
    return Parser(text).run(error);
}

void apply_entries(Key& key, const std::vector<FileEntry>& entries) {
    if (entries.empty())
        return;
    ValueIndex index(key);
    for (const FileEntry& entry : entries) {
        if (entry.remove)
            index.remove_value(entry.name);
        else
            index.set_value(entry.name, entry.type, entry.data);
    }
}

std::optional<Key> build_hive(const RegFile& file) {
    Key hive;
    hive.name = std::string(kRootName);
    for (const FileSection& section : file.sections) {
        auto path = split_key_path(section.path);
        if (!path || path->empty() || !names_equal(path->front(), kRootName))
            return std::nullopt;
        path->erase(path->begin());
        if (section.remove) {
            if (path->empty()) {
                hive.subkeys.clear();
                hive.values.clear();
            } else {
                std::string leaf = path->back();
                path->pop_back();
                if (Key* parent = find_key(hive, *path))
                    parent->remove_subkey(leaf);
            }
            continue;
        }
        Key* key = &hive;
        for (const std::string& part : *path)
            key = &key->add_subkey(part);
        apply_entries(*key, section.entries);
    }
    return hive;
}

std::string format_reg_file(const Key& key, const std::string& full_name) {
    std::string out(kHeader5);
    out += '\n';
    append_key(out, key, full_name);
    return out;
}

} // namespace platform::reg
