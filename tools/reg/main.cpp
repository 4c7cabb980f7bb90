#include "reg_tool.h"

#include <platform/advapi/reg_store.h>

#include <iostream>

namespace {

int usage() {
    std::cout << "\nREG Operation [Parameter List]\n\n"
                 "  Operation  [ QUERY   | ADD    | DELETE | IMPORT | EXPORT ]\n\n"
                 "Return Code: (Except for REG COMPARE):\n\n"
                 "  0 - Successful\n"
                 "  1 - Failed\n\n"
                 "Only HKEY_LOCAL_MACHINE (HKLM) of the machine in RADIODECK_ROOT is available.\n";
    return 0;
}

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return reg_tool::fail("ERROR: Invalid syntax.\nType \"REG /?\" for usage.");
    std::string operation = upper(argv[1]);
    std::vector<std::string> args(argv + 2, argv + argc);
    if (operation == "/?" || operation == "-?")
        return usage();
    // A damaged registry that a program set aside is news to whoever looks at the registry.
    for (const auto& file : platform::reg::set_aside_registry_files())
        std::cerr << "WARNING: a damaged registry was moved aside as " << file.string()
                  << "; the registry started afresh.\n";
    if (operation == "QUERY")
        return reg_tool::run_query(args);
    if (operation == "ADD")
        return reg_tool::run_add(args);
    if (operation == "DELETE")
        return reg_tool::run_delete(args);
    if (operation == "EXPORT")
        return reg_tool::run_export(args);
    if (operation == "IMPORT")
        return reg_tool::run_import(args);
    return reg_tool::fail("ERROR: Invalid syntax.\nType \"REG /?\" for usage.");
}
