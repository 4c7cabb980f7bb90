#include "reg_tool.h"

#include <platform/advapi/reg_batch.h>
#include <platform/advapi/reg_file.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/stat.h>

namespace reg_tool {

namespace {

constexpr const char* kFileError =
    "ERROR: Error opening the file. There may be a disk or file system error.";

// A copy of an open key and its subtree, read through the registry functions.
LONG read_tree(HKEY key, platform::reg::Key& out, size_t depth) {
    std::vector<ValueData> values;
    std::vector<std::string> subkeys;
    LONG status = read_values(key, values);
    if (status == ERROR_SUCCESS)
        status = read_subkey_names(key, subkeys);
    if (status != ERROR_SUCCESS)
        return status;
    // Enumerated names are distinct: no lookup needed.
    for (ValueData& v : values)
        out.values.push_back({std::move(v.name), v.type, std::move(v.data)});
    if (depth >= platform::reg::kMaxKeyDepth)
        return ERROR_SUCCESS;
    for (const std::string& name : subkeys) {
        HKEY sub;
        status = RegOpenKeyExA(key, name.c_str(), 0, KEY_READ, &sub);
        if (status == ERROR_FILE_NOT_FOUND)
            continue; // deleted meanwhile by another process
        if (status != ERROR_SUCCESS)
            return status;
        status = read_tree(sub, out.add_subkey(name), depth + 1);
        RegCloseKey(sub);
        if (status != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

// The part of a full key name below HKEY_LOCAL_MACHINE; no value for another root.
std::optional<std::string> local_machine_path(const std::string& full) {
    auto name = parse_key_name(full);
    if (!name || full.substr(0, full.find('\\')).size() != 18) // only the full root name
        return std::nullopt;
    return name->sub_key;
}

LONG apply_section(const platform::reg::FileSection& section, const std::string& sub_key) {
    if (section.remove) {
        LONG status = delete_tree(HKEY_LOCAL_MACHINE, sub_key);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, sub_key.c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    // One write for the whole section: one per value would make an import quadratic.
    status = platform::reg::set_values(key, section.entries);
    RegCloseKey(key);
    return status;
}

} // namespace

// reg export KEY FILE [/y]
int run_export(const std::vector<std::string>& args) {
    auto sw = parse_switches(args);
    if (!sw || sw->positional.size() != 2 || sw->v || sw->ve || sw->va || sw->t || sw->d || sw->s ||
        sw->f)
        return syntax_error("EXPORT");
    auto name = parse_key_name(sw->positional[0]);
    if (!name)
        return fail("ERROR: Invalid key name.\nType \"REG EXPORT /?\" for usage.");
    const std::string& file = sw->positional[1];
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, name->sub_key.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return fail_status(status);
    platform::reg::Key tree;
    status = read_tree(key, tree, 0);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return fail_status(status);
    struct stat st;
    if (!sw->y && ::stat(file.c_str(), &st) == 0 &&
        !ask_yes("File " + file + " already exists. Overwrite (Yes/No)?"))
        return std::cout << kCanceled << '\n', 0;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << platform::reg::format_reg_file(tree, name->full);
    out.close();
    if (!out)
        return fail(kFileError);
    return succeed();
}

// reg import FILE
int run_import(const std::vector<std::string>& args) {
    auto sw = parse_switches(args);
    if (!sw || sw->positional.size() != 1 || sw->v || sw->ve || sw->va || sw->t || sw->d || sw->s ||
        sw->f || sw->y)
        return syntax_error("IMPORT");
    std::ifstream in(sw->positional[0], std::ios::binary);
    std::stringstream text;
    if (!in || !(text << in.rdbuf()))
        return fail(kFileError);
    auto file = platform::reg::parse_reg_file(text.str());
    if (!file)
        return fail("ERROR: Error accessing the registry.");
    // Every key must be valid before anything changes.
    std::vector<std::string> paths;
    for (const platform::reg::FileSection& section : file->sections) {
        auto path = local_machine_path(section.path);
        if (!path)
            return fail("ERROR: Error accessing the registry.");
        paths.push_back(*path);
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        LONG status = apply_section(file->sections[i], paths[i]);
        if (status == ERROR_ACCESS_DENIED)
            return fail(kAccessDenied);
        if (status != ERROR_SUCCESS)
            return fail("ERROR: Error accessing the registry.");
    }
    return succeed();
}

} // namespace reg_tool
