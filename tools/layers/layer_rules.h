// The layer table of docs/architecture.md as rules over #include lines, so that a change which
// breaks it fails the tests with the file, the line and the rule.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace layers {

struct Violation {
    std::string file; // relative to the checked tree, with '/'
    int line = 0;
    std::string include; // the included name as written, with its quotes or brackets
    std::string rule;
};

// Checks every C and C++ source below the project folders of `root`.
std::vector<Violation> check_tree(const std::filesystem::path& root);

// "FILE:LINE: #include NAME: RULE"
std::string describe(const Violation& v);

} // namespace layers
