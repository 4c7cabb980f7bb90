// The registry held in memory: a tree of keys, each with its values. Names compare
// case-insensitively and keep the case they were created with, as Windows does. Only ASCII
// letters fold; other bytes (UTF-8) compare exactly.
#pragma once

#include <windef.h>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::reg {

// Windows allows a key tree 512 levels deep; the same bound keeps a hostile file from
// recursing without end.
constexpr size_t kMaxKeyDepth = 512;

struct Value {
    std::string name; // "" is the key's default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct Key {
    std::string name;
    std::vector<Value> values; // in the order they were first set, as RegEnumValueA reports them
    std::vector<Key> subkeys;  // sorted by name, as RegEnumKeyExA reports them

    Key* find_subkey(std::string_view name);
    const Key* find_subkey(std::string_view name) const;
    // The subkey of that name, created when missing.
    Key& add_subkey(std::string_view name);
    bool remove_subkey(std::string_view name);

    Value* find_value(std::string_view name);
    const Value* find_value(std::string_view name) const;
    void set_value(std::string_view name, DWORD type, std::vector<BYTE> data);
    bool remove_value(std::string_view name);
};

// Sets and removes many values of one key by name in time linear in their number, where
// Key::set_value alone is linear per value. Only this index may change the key meanwhile.
class ValueIndex {
public:
    explicit ValueIndex(Key& key);
    void set_value(std::string_view name, DWORD type, std::vector<BYTE> data);
    bool remove_value(std::string_view name);

private:
    Key& key_;
    std::unordered_map<std::string, size_t> index_; // folded name -> position in key_.values
};

int compare_names(std::string_view a, std::string_view b);
inline bool names_equal(std::string_view a, std::string_view b) {
    return compare_names(a, b) == 0;
}

using KeyPath = std::vector<std::string>;

// Splits "A\B\C" into its components. "" is the key itself; one trailing backslash is
// tolerated. No value for a leading backslash, an empty component, a component holding a
// line break (the store is a line-based text file) or a path deeper than kMaxKeyDepth.
std::optional<KeyPath> split_key_path(std::string_view path);

Key* find_key(Key& root, const KeyPath& path);
const Key* find_key(const Key& root, const KeyPath& path);

} // namespace platform::reg
