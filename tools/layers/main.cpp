// check-layers [ROOT]: the include-layer check of the source tree ROOT (default: the current
// directory). Prints each violation and fails when there is one.
#include "layer_rules.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: check-layers [ROOT]\n");
        return 2;
    }
    std::filesystem::path root = argc == 2 ? argv[1] : ".";
    if (!std::filesystem::is_directory(root / "platform")) {
        std::fprintf(stderr, "check-layers: %s is not the source tree\n", root.c_str());
        return 2;
    }
    std::vector<layers::Violation> found = layers::check_tree(root);
    for (const layers::Violation& v : found)
        std::printf("%s\n", layers::describe(v).c_str());
    return found.empty() ? 0 : 1;
}
