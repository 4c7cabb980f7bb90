// The 32-bit .res format that resource compilers write: a sequence of records, each a header
// (sizes, type, name, language) followed by its data. Parsing checks every length against the
// file, so a file that lies about its lengths is refused rather than read out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// A resource type or name: an ordinal, or a UTF-16 string compared case-insensitively.
struct ResId {
    bool is_ordinal = true;
    uint16_t ordinal = 0;
    std::u16string text;

    static ResId from_ordinal(uint16_t value) { return ResId{true, value, {}}; }
    static ResId from_text(std::u16string value) { return ResId{false, 0, std::move(value)}; }
    bool matches(const ResId& other) const;
};

struct ResEntry {
    ResId type;
    ResId name;
    uint16_t language = 0;
    std::span<const uint8_t> data;
};

class ResFile {
public:
    // Indexes `bytes` (which must outlive the ResFile). No value when the bytes are not a
    // well-formed .res file: missing leading empty record, or any length that overruns.
    static std::optional<ResFile> parse(std::span<const uint8_t> bytes);

    const std::vector<ResEntry>& entries() const { return entries_; }

    enum class Lookup { found, no_type, no_name };
    // Language preference: exact, then a neutral language, then the first of any language.
    const ResEntry* find(const ResId& type, const ResId& name, uint16_t language,
                         Lookup* why = nullptr) const;
    size_t index_of(const ResEntry* entry) const {
        return static_cast<size_t>(entry - &entries_[0]);
    }

private:
    std::vector<ResEntry> entries_;
};

} // namespace platform
