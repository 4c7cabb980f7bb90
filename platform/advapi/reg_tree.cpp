#include "reg_tree.h"

#include <algorithm>

namespace platform::reg {

namespace {

char fold(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

template <typename K> K* find_sub(std::vector<K>& keys, std::string_view name) {
    auto it =
        std::lower_bound(keys.begin(), keys.end(), name, [](const Key& k, std::string_view n) {
            return compare_names(k.name, n) < 0;
        });
    return (it != keys.end() && names_equal(it->name, name)) ? &*it : nullptr;
}

} // namespace

int compare_names(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(fold(a[i]));
        auto cb = static_cast<unsigned char>(fold(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

Key* Key::find_subkey(std::string_view n) {
    return find_sub(subkeys, n);
}

const Key* Key::find_subkey(std::string_view n) const {
    return const_cast<Key*>(this)->find_subkey(n);
}

Key& Key::add_subkey(std::string_view n) {
    auto it =
        std::lower_bound(subkeys.begin(), subkeys.end(), n, [](const Key& k, std::string_view s) {
            return compare_names(k.name, s) < 0;
        });
    if (it != subkeys.end() && names_equal(it->name, n))
        return *it;
    Key key;
    key.name = std::string(n);
    return *subkeys.insert(it, std::move(key));
}

bool Key::remove_subkey(std::string_view n) {
    for (auto it = subkeys.begin(); it != subkeys.end(); ++it) {
        if (names_equal(it->name, n)) {
            subkeys.erase(it);
            return true;
        }
    }
    return false;
}

Value* Key::find_value(std::string_view n) {
    for (Value& v : values)
        if (names_equal(v.name, n))
            return &v;
    return nullptr;
}

const Value* Key::find_value(std::string_view n) const {
    return const_cast<Key*>(this)->find_value(n);
}

void Key::set_value(std::string_view n, DWORD type, std::vector<BYTE> data) {
    // An existing value keeps its place and the case of its name, as on Windows.
    if (Value* v = find_value(n)) {
        v->type = type;
        v->data = std::move(data);
        return;
    }
    values.push_back(Value{std::string(n), type, std::move(data)});
}

bool Key::remove_value(std::string_view n) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (names_equal(it->name, n)) {
            values.erase(it);
            return true;
        }
    }
    return false;
}

namespace {

std::string folded(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        c = fold(c);
    return out;
}

} // namespace

ValueIndex::ValueIndex(Key& key) : key_(key) {
    index_.reserve(key.values.size());
    for (size_t i = 0; i < key.values.size(); ++i)
        index_.emplace(folded(key.values[i].name), i);
}

void ValueIndex::set_value(std::string_view name, DWORD type, std::vector<BYTE> data) {
    auto [it, added] = index_.emplace(folded(name), key_.values.size());
    if (added) {
        key_.values.push_back(Value{std::string(name), type, std::move(data)});
        return;
    }
    Value& v = key_.values[it->second];
    v.type = type;
    v.data = std::move(data);
}

bool ValueIndex::remove_value(std::string_view name) {
    auto it = index_.find(folded(name));
    if (it == index_.end())
        return false;
    size_t at = it->second;
    index_.erase(it);
    key_.values.erase(key_.values.begin() + static_cast<std::ptrdiff_t>(at));
    // Removals are rare (a .reg file's "name"=-): the positions after it move down by one.
    for (auto& [n, i] : index_)
        if (i > at)
            --i;
    return true;
}

std::optional<KeyPath> split_key_path(std::string_view path) {
    KeyPath parts;
    if (path.empty())
        return parts;
    if (path.front() == '\\')
        return std::nullopt;
    if (path.back() == '\\')
        path.remove_suffix(1);
    while (true) {
        size_t cut = path.find('\\');
        std::string_view part = path.substr(0, cut);
        if (part.empty() || part.find_first_of("\r\n") != std::string_view::npos)
            return std::nullopt;
        parts.emplace_back(part);
        if (parts.size() > kMaxKeyDepth)
            return std::nullopt;
        if (cut == std::string_view::npos)
            break;
        path.remove_prefix(cut + 1);
    }
    return parts;
}

Key* find_key(Key& root, const KeyPath& path) {
    Key* key = &root;
    for (const std::string& part : path) {
        key = key->find_subkey(part);
        if (!key)
            return nullptr;
    }
    return key;
}

const Key* find_key(const Key& root, const KeyPath& path) {
    return find_key(const_cast<Key&>(root), path);
}

} // namespace platform::reg
