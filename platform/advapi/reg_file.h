// The Windows .reg text format ("Windows Registry Editor Version 5.00"): the store of
// HKEY_LOCAL_MACHINE on disk, and what `reg export` writes and `reg import` reads.
// The parser takes outside input: it accepts only well-formed text and reports anything
// else as an error, so that a damaged store is refused rather than half-read.
#pragma once

#include "reg_tree.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::reg {

inline constexpr std::string_view kRootName = "HKEY_LOCAL_MACHINE";

struct FileEntry {
    std::string name;    // "" for @, the default value
    bool remove = false; // "name"=-
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct FileSection {
    std::string path;    // the full key name as written, e.g. HKEY_LOCAL_MACHINE\Software
    bool remove = false; // [-...]: delete the key and its subtree
    std::vector<FileEntry> entries;
};

struct RegFile {
    std::vector<FileSection> sections;
};

// Parses .reg text (LF or CRLF lines, an optional UTF-8 byte order mark, ';' comments,
// hex lists continued with a trailing backslash). No value, and a reason in `error`, for
// anything malformed. Text with nothing but white space is an empty file.
std::optional<RegFile> parse_reg_file(std::string_view text, std::string* error = nullptr);

// Sets and removes the values of one section in `key`, in file order, in linear time.
void apply_entries(Key& key, const std::vector<FileEntry>& entries);

// The hive that a stored file describes: every section must lie under HKEY_LOCAL_MACHINE
// and none may be deeper than kMaxKeyDepth. Deletions apply in file order.
std::optional<Key> build_hive(const RegFile& file);

// The .reg text of `key` and its subtree, `full_name` being the key's full name.
std::string format_reg_file(const Key& key, const std::string& full_name);

} // namespace platform::reg
