#include "reg_tool.h"

#include <cstdio>
#include <iostream>

namespace reg_tool {

namespace {

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

std::optional<KeyName> parse_key_name(const std::string& arg) {
    size_t cut = arg.find('\\');
    std::string root = upper(arg.substr(0, cut));
    if (root != "HKLM" && root != "HKEY_LOCAL_MACHINE")
        return std::nullopt;
    KeyName name;
    name.sub_key = cut == std::string::npos ? "" : arg.substr(cut + 1);
    while (!name.sub_key.empty() && name.sub_key.back() == '\\')
        name.sub_key.pop_back();
    name.full = "HKEY_LOCAL_MACHINE";
    if (!name.sub_key.empty())
        name.full += "\\" + name.sub_key;
    return name;
}

bool ask_yes(const std::string& question) {
    std::cout << question << ' ' << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::cout << '\n';
        return false;
    }
    if (!answer.empty() && answer.back() == '\r')
        answer.pop_back();
    answer = upper(answer);
    return answer == "Y" || answer == "YES";
}

int fail(const std::string& message) {
    std::cerr << message << '\n';
    return 1;
}

int syntax_error(const char* operation) {
    return fail(std::string("ERROR: Invalid syntax.\nType \"REG ") + operation +
                " /?\" for usage.");
}

int fail_status(LONG status) {
    switch (status) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_KEY_DELETED:
        return fail(kNotFound);
    case ERROR_ACCESS_DENIED:
        return fail(kAccessDenied);
    case ERROR_BADDB:
        return fail("ERROR: The configuration registry database is corrupt.");
    default:
        return fail("ERROR: Error accessing the registry.");
    }
}

int succeed() {
    std::cout << kSuccess << '\n';
    return 0;
}

std::optional<Switches> parse_switches(const std::vector<std::string>& args) {
    Switches sw;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string name = a.size() >= 2 ? upper(a.substr(1)) : "";
        static const char* const known[] = {"V", "T", "D", "S", "VE", "VA", "F", "Y"};
        bool is_switch = false;
        for (const char* k : known)
            is_switch = is_switch || name == k;
        // Anything else, such as a host path /tmp/x.reg, is an operand.
        if ((a[0] != '/' && a[0] != '-') || !is_switch) {
            sw.positional.push_back(a);
            continue;
        }
        auto take = [&](std::optional<std::string>& slot) {
            if (slot || i + 1 >= args.size())
                return false;
            slot = args[++i];
            return true;
        };
        bool ok = true;
        if (name == "V")
            ok = take(sw.v);
        else if (name == "T")
            ok = take(sw.t);
        else if (name == "D")
            ok = take(sw.d);
        else if (name == "S")
            ok = take(sw.s);
        else if (name == "VE")
            sw.ve = true;
        else if (name == "VA")
            sw.va = true;
        else if (name == "F")
            sw.f = true;
        else if (name == "Y")
            sw.y = true;
        if (!ok)
            return std::nullopt;
    }
    if ((sw.v ? 1 : 0) + sw.ve + sw.va > 1)
        return std::nullopt;
    return sw;
}

std::string type_name(DWORD type) {
    static const char* const names[] = {"REG_NONE",
                                        "REG_SZ",
                                        "REG_EXPAND_SZ",
                                        "REG_BINARY",
                                        "REG_DWORD",
                                        "REG_DWORD_BIG_ENDIAN",
                                        "REG_LINK",
                                        "REG_MULTI_SZ",
                                        "REG_RESOURCE_LIST",
                                        "REG_FULL_RESOURCE_DESCRIPTOR",
                                        "REG_RESOURCE_REQUIREMENTS_LIST",
                                        "REG_QWORD"};
    if (type < sizeof names / sizeof names[0])
        return names[type];
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%x", type);
    return buf;
}

std::string format_data(DWORD type, const std::vector<BYTE>& data) {
    char buf[32];
    if ((type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN) && data.size() == 4) {
        DWORD v = type == REG_DWORD
                      ? data[0] | (data[1] << 8) | (data[2] << 16) | (DWORD(data[3]) << 24)
                      : data[3] | (data[2] << 8) | (data[1] << 16) | (DWORD(data[0]) << 24);
        std::snprintf(buf, sizeof buf, "0x%x", v);
        return buf;
    }
    if (type == REG_QWORD && data.size() == 8) {
        unsigned long long v = 0;
        for (int i = 7; i >= 0; --i)
            v = (v << 8) | data[i];
        std::snprintf(buf, sizeof buf, "0x%llx", v);
        return buf;
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        std::string s(data.begin(), data.end());
        while (!s.empty() && s.back() == '\0')
            s.pop_back();
        // reg.exe shows the strings of a REG_MULTI_SZ separated by a literal \0.
        std::string out;
        for (char c : s)
            out += c == '\0' ? std::string("\\0") : std::string(1, c);
        return out;
    }
    std::string out;
    for (BYTE b : data) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
    }
    return out;
}

LONG read_values(HKEY key, std::vector<ValueData>& out) {
    // By index only: a lookup by name would scan the key again for every value.
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD name_size = 0;
        DWORD size = 0;
        ValueData v;
        LONG status;
        // Sized first, then read; again when the value grew in between.
        for (;;) {
            DWORD room = size;
            v.data.resize(room);
            name_size = sizeof name;
            status = RegEnumValueA(key, i, name, &name_size, nullptr, &v.type,
                                   room ? v.data.data() : nullptr, &size);
            if (status != ERROR_MORE_DATA && !(status == ERROR_SUCCESS && size > room))
                break;
        }
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS)
            return status;
        v.name.assign(name, name_size);
        v.data.resize(size);
        out.push_back(std::move(v));
    }
}

LONG read_subkey_names(HKEY key, std::vector<std::string>& out) {
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD size = sizeof name;
        LONG status = RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status != ERROR_SUCCESS)
            return status;
        out.emplace_back(name, size);
    }
}

LONG delete_tree(HKEY parent, const std::string& sub_key) {
    HKEY key;
    LONG status = RegOpenKeyExA(parent, sub_key.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return status;
    std::vector<std::string> children;
    status = read_subkey_names(key, children);
    for (size_t i = 0; status == ERROR_SUCCESS && i < children.size(); ++i)
        status = delete_tree(key, children[i]);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? RegDeleteKeyA(parent, sub_key.c_str()) : status;
}

} // namespace reg_tool
