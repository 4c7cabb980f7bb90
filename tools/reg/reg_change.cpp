#include "reg_tool.h"

#include <platform/advapi/reg_tree.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>

namespace reg_tool {

namespace {

std::optional<unsigned long long> parse_number(const std::string& text, unsigned long long max) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return std::nullopt;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    errno = 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno || *end || end == text.c_str() + (hex ? 2 : 0) || v > max)
        return std::nullopt;
    return v;
}

// The bytes of /d for a type, as reg.exe builds them; no value for data it would refuse.
std::optional<std::vector<BYTE>> make_data(DWORD type, const std::string& d,
                                           const std::string& separator) {
    std::vector<BYTE> out;
    switch (type) {
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: {
        auto v = parse_number(d, type == REG_QWORD ? ~0ull : 0xFFFFFFFFull);
        if (!v)
            return std::nullopt;
        int n = type == REG_QWORD ? 8 : 4;
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<BYTE>(*v >> (8 * i)));
        if (type == REG_DWORD_BIG_ENDIAN)
            std::swap(out[0], out[3]), std::swap(out[1], out[2]);
        return out;
    }
    case REG_BINARY:
    case REG_NONE: {
        if (d.size() % 2)
            return std::nullopt;
        for (size_t i = 0; i < d.size(); i += 2) {
            auto v = parse_number("0x" + d.substr(i, 2), 0xFF);
            if (!v)
                return std::nullopt;
            out.push_back(static_cast<BYTE>(*v));
        }
        return out;
    }
    case REG_MULTI_SZ: {
        // Strings separated by /s (default the two characters \0), each stored with its
        // terminator, and one more terminator at the end.
        std::string sep = separator.empty() ? "\\0" : separator;
        size_t start = 0;
        while (start < d.size()) {
            size_t cut = d.find(sep, start);
            std::string part = d.substr(start, cut == std::string::npos ? cut : cut - start);
            if (!part.empty()) {
                out.insert(out.end(), part.begin(), part.end());
                out.push_back(0);
            }
            if (cut == std::string::npos)
                break;
            start = cut + sep.size();
        }
        out.push_back(0);
        return out;
    }
    default:
        out.assign(d.begin(), d.end());
        out.push_back(0);
        return out;
    }
}

std::optional<DWORD> parse_type(const std::string& t) {
    static const std::pair<const char*, DWORD> types[] = {
        {"REG_SZ", REG_SZ},
        {"REG_EXPAND_SZ", REG_EXPAND_SZ},
        {"REG_MULTI_SZ", REG_MULTI_SZ},
        {"REG_DWORD", REG_DWORD},
        {"REG_DWORD_LITTLE_ENDIAN", REG_DWORD},
        {"REG_DWORD_BIG_ENDIAN", REG_DWORD_BIG_ENDIAN},
        {"REG_QWORD", REG_QWORD},
        {"REG_BINARY", REG_BINARY},
        {"REG_NONE", REG_NONE},
    };
    std::string u = t;
    for (char& c : u)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    for (const auto& [name, type] : types)
        if (u == name)
            return type;
    return std::nullopt;
}

bool value_exists(const std::string& sub_key, const std::string& value) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, sub_key.c_str(), 0, KEY_QUERY_VALUE, &key))
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, value.c_str(), nullptr, nullptr, nullptr, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

} // namespace

// reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
int run_add(const std::vector<std::string>& args) {
    auto sw = parse_switches(args);
    if (!sw || sw->positional.size() != 1 || sw->va || sw->y)
        return syntax_error("ADD");
    auto name = parse_key_name(sw->positional[0]);
    if (!name)
        return fail("ERROR: Invalid key name.\nType \"REG ADD /?\" for usage.");
    DWORD type = REG_SZ;
    if (sw->t) {
        auto t = parse_type(*sw->t);
        if (!t)
            return fail("ERROR: Invalid syntax.\nType \"REG ADD /?\" for usage.");
        type = *t;
    }
    // Without /v or /ve, data goes to the default value; without data, only the key is made.
    bool set_value = sw->v || sw->ve || sw->d;
    std::string value_name = sw->v ? *sw->v : "";
    std::optional<std::vector<BYTE>> data = make_data(type, sw->d.value_or(""), sw->s.value_or(""));
    if (set_value && !data) {
        if (type == REG_BINARY || type == REG_NONE)
            return fail("ERROR: Invalid syntax. Specify valid hexadecimal value for '/d'.");
        return fail("ERROR: Invalid syntax. Specify valid numeric value for '/d'.");
    }
    if (set_value && !sw->f && value_exists(name->sub_key, value_name)) {
        if (!ask_yes("Value " + (sw->v ? value_name : std::string("(Default)")) +
                     " exists, overwrite(Yes/No)?"))
            return std::cout << kCanceled << '\n', 0;
    }
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, name->sub_key.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return fail_status(status);
    if (set_value)
        status = RegSetValueExA(key, value_name.c_str(), 0, type, data->data(),
                                static_cast<DWORD>(data->size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? succeed() : fail_status(status);
}

// reg delete KEY [/v NAME | /ve | /va] [/f]
int run_delete(const std::vector<std::string>& args) {
    auto sw = parse_switches(args);
    if (!sw || sw->positional.size() != 1 || sw->t || sw->d || sw->s || sw->y)
        return syntax_error("DELETE");
    auto name = parse_key_name(sw->positional[0]);
    if (!name || name->sub_key.empty())
        return fail("ERROR: Invalid key name.\nType \"REG DELETE /?\" for usage.");
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, name->sub_key.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return fail_status(status);
    std::vector<ValueData> values;
    status = read_values(key, values);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return fail_status(status);

    if (!sw->v && !sw->ve && !sw->va) {
        if (!sw->f && !ask_yes("Permanently delete the registry key " + name->full + " (Yes/No)?"))
            return std::cout << kCanceled << '\n', 0;
        status = delete_tree(HKEY_LOCAL_MACHINE, name->sub_key);
        return status == ERROR_SUCCESS ? succeed() : fail_status(status);
    }

    std::vector<std::string> doomed;
    if (sw->va) {
        for (const ValueData& v : values)
            doomed.push_back(v.name);
        if (!sw->f &&
            !ask_yes("Delete all values under the registry key " + name->full + " (Yes/No)?"))
            return std::cout << kCanceled << '\n', 0;
    } else {
        std::string wanted = sw->v ? *sw->v : "";
        bool found = false;
        for (const ValueData& v : values)
            found = found || platform::reg::names_equal(v.name, wanted);
        if (!found)
            return fail(kNotFound);
        if (!sw->f && !ask_yes("Delete the registry value " +
                               (sw->v ? wanted : std::string("(Default)")) + " (Yes/No)?"))
            return std::cout << kCanceled << '\n', 0;
        doomed.push_back(wanted);
    }
    status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, name->sub_key.c_str(), 0, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return fail_status(status);
    for (size_t i = 0; status == ERROR_SUCCESS && i < doomed.size(); ++i)
        status = RegDeleteValueA(key, doomed[i].c_str());
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? succeed() : fail_status(status);
}

} // namespace reg_tool
