#include "res_file.h"

namespace platform {

namespace {

// The fixed tail of a record header after the type and name: DataVersion, MemoryFlags,
// LanguageId, Version, Characteristics.
constexpr uint64_t fixed_tail_size = 16;
// DataSize, HeaderSize, and the smallest type and name (two ordinals).
constexpr uint64_t min_header_size = 8 + 4 + 4 + fixed_tail_size;

uint64_t align4(uint64_t v) {
    return (v + 3) & ~uint64_t{3};
}

char16_t fold(char16_t c) {
    // Windows compares resource names by upper-casing them; the ASCII and Latin-1 letters
    // cover every name a resource script can spell here.
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<char16_t>(c - 0x20);
    return c;
}

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool u16(uint64_t at, uint16_t& out) const {
        if (at + 2 > bytes_.size())
            return false;
        out = static_cast<uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
        return true;
    }
    bool u32(uint64_t at, uint32_t& out) const {
        uint16_t lo, hi;
        if (!u16(at, lo) || !u16(at + 2, hi))
            return false;
        out = lo | (uint32_t{hi} << 16);
        return true;
    }
    // Reads an ordinal or a NUL-terminated string that must end before `limit`.
    bool id(uint64_t& at, uint64_t limit, ResId& out) const {
        uint16_t first;
        if (at + 2 > limit || !u16(at, first))
            return false;
        if (first == 0xFFFF) {
            uint16_t ordinal;
            if (at + 4 > limit || !u16(at + 2, ordinal))
                return false;
            out = ResId::from_ordinal(ordinal);
            at += 4;
            return true;
        }
        std::u16string text;
        for (;;) {
            uint16_t c;
            if (at + 2 > limit || !u16(at, c))
                return false;
            at += 2;
            if (c == 0)
                break;
            text.push_back(static_cast<char16_t>(c));
        }
        out = ResId::from_text(std::move(text));
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
};

bool is_neutral(uint16_t language) {
    return (language & 0x3FF) == 0;
}

} // namespace

bool ResId::matches(const ResId& other) const {
    if (is_ordinal != other.is_ordinal)
        return false;
    if (is_ordinal)
        return ordinal == other.ordinal;
    if (text.size() != other.text.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (fold(text[i]) != fold(other.text[i]))
            return false;
    }
    return true;
}

std::optional<ResFile> ResFile::parse(std::span<const uint8_t> bytes) {
    Reader reader(bytes);
    ResFile file;
    const uint64_t size = bytes.size();
    uint64_t at = 0;
    bool first = true;
    while (at < size) {
        uint32_t data_size, header_size;
        if (!reader.u32(at, data_size) || !reader.u32(at + 4, header_size))
            return std::nullopt;
        const uint64_t header_end = at + header_size;
        if (header_size < min_header_size || header_end > size)
            return std::nullopt;
        uint64_t cursor = at + 8;
        ResEntry entry;
        if (!reader.id(cursor, header_end, entry.type) ||
            !reader.id(cursor, header_end, entry.name))
            return std::nullopt;
        cursor = align4(cursor);
        if (cursor + fixed_tail_size > header_end)
            return std::nullopt;
        reader.u16(cursor + 6, entry.language);
        const uint64_t data_end = header_end + data_size;
        if (data_end > size)
            return std::nullopt;
        if (first) {
            // Every .res file opens with an empty record of type 0 and name 0; it is what tells
            // a resource file from any other file.
            if (data_size != 0 || !entry.type.is_ordinal || entry.type.ordinal != 0 ||
                !entry.name.is_ordinal || entry.name.ordinal != 0)
                return std::nullopt;
            first = false;
        } else {
            entry.data = bytes.subspan(header_end, data_size);
            file.entries_.push_back(std::move(entry));
        }
        // The padding after the last record's data may be missing.
        at = std::min(align4(data_end), size);
    }
    if (first)
        return std::nullopt;
    return file;
}

const ResEntry* ResFile::find(const ResId& type, const ResId& name, uint16_t language,
                              Lookup* why) const {
    bool type_seen = false;
    const ResEntry* neutral = nullptr;
    const ResEntry* any = nullptr;
    for (const ResEntry& entry : entries_) {
        if (!entry.type.matches(type))
            continue;
        type_seen = true;
        if (!entry.name.matches(name))
            continue;
        if (entry.language == language) {
            if (why)
                *why = Lookup::found;
            return &entry;
        }
        if (!neutral && is_neutral(entry.language))
            neutral = &entry;
        if (!any)
            any = &entry;
    }
    const ResEntry* best = neutral ? neutral : any;
    if (why)
        *why = best ? Lookup::found : (type_seen ? Lookup::no_name : Lookup::no_type);
    return best;
}

} // namespace platform
