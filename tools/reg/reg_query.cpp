#include "reg_tool.h"

#include <platform/advapi/reg_tree.h>

#include <iostream>

namespace reg_tool {

namespace {

void print_value(const ValueData& v) {
    std::cout << "    " << (v.name.empty() ? "(Default)" : v.name) << "    " << type_name(v.type)
              << "    " << format_data(v.type, v.data) << '\n';
}

} // namespace

// reg query KEY [/v NAME | /ve]
// reg.exe prints a blank line, then the key's name and its values followed by another
// blank line when it has values, then the full names of its subkeys.
int run_query(const std::vector<std::string>& args) {
    auto sw = parse_switches(args);
    if (!sw || sw->positional.size() != 1 || sw->va || sw->t || sw->d || sw->s || sw->f || sw->y)
        return syntax_error("QUERY");
    auto name = parse_key_name(sw->positional[0]);
    if (!name)
        return fail("ERROR: Invalid key name.\nType \"REG QUERY /?\" for usage.");
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, name->sub_key.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return fail_status(status);
    std::vector<ValueData> values;
    std::vector<std::string> subkeys;
    status = read_values(key, values);
    if (status == ERROR_SUCCESS && !sw->v && !sw->ve)
        status = read_subkey_names(key, subkeys);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return fail_status(status);
    if (sw->v || sw->ve) {
        std::string wanted = sw->v ? *sw->v : "";
        for (const ValueData& v : values) {
            if (platform::reg::names_equal(v.name, wanted)) {
                std::cout << '\n' << name->full << '\n';
                print_value(v);
                std::cout << '\n';
                return 0;
            }
        }
        return fail(kNotFound);
    }
    std::cout << '\n';
    if (!values.empty()) {
        std::cout << name->full << '\n';
        for (const ValueData& v : values)
            print_value(v);
        std::cout << '\n';
    }
    for (const std::string& sub : subkeys)
        std::cout << name->full << '\\' << sub << '\n';
    return 0;
}

} // namespace reg_tool
