#include "layer_rules.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>

namespace layers {

namespace {

namespace fs = std::filesystem;

const std::set<std::string> kProgram = {"app",   "core", "device",   "settings",
                                        "peers", "ui",   "controls", "res"};
const std::set<std::string> kTopFolders = {"app",     "core",     "device", "settings", "peers",
                                           "ui",      "controls", "res",    "afx",      "platform",
                                           "machine", "tools",    "tests",  "bench"};

// Each platform folder and the folders below it (the links of platform/CMakeLists.txt).
const std::map<std::string, std::set<std::string>> kBelow = {
    {"include", {}},
    {"kernel", {}},
    {"drivers", {"kernel"}},
    {"gdi", {"kernel", "drivers"}},
    {"advapi", {"kernel"}},
    {"desktop", {"kernel"}},
    {"user", {"kernel", "gdi", "advapi", "drivers", "desktop"}},
    {"shell", {"kernel", "gdi", "advapi", "drivers", "desktop", "user"}},
    {"power", {"kernel", "gdi", "advapi", "drivers", "desktop", "user"}},
};

const std::set<std::string> kCHeaders = {
    "assert.h", "ctype.h",  "errno.h",  "float.h",  "inttypes.h", "limits.h", "locale.h",
    "math.h",   "setjmp.h", "signal.h", "stdarg.h", "stddef.h",   "stdint.h", "stdio.h",
    "stdlib.h", "string.h", "time.h",   "wchar.h",  "wctype.h"};

const char kProgramRule[] =
    "the program includes only the Win32/MFC headers, the standard library and its own";
const char kPlatformRule[] = "the platform never includes program, afx/ or machine/ headers";
const char kAfxRule[] = "afx/ includes only the platform and its own";
const char kMachineRule[] = "machine/ includes only the platform, afx/, resource ids and its own";
const char kToolsRule[] = "tools/ include only the platform and their own";

std::vector<std::string> parts(const fs::path& p) {
    std::vector<std::string> out;
    for (const fs::path& part : p)
        out.push_back(part.string());
    return out;
}

std::set<std::string> names_in(const fs::path& dir) {
    std::set<std::string> out;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec))
        out.insert(e.path().filename().string());
    return out;
}

struct Headers {
    std::set<std::string> win32; // platform/include
    std::set<std::string> mfc;   // afx/include, without the internal parts (name_.h)
};

bool is_mfc(const Headers& h, const std::string& name) {
    return h.mfc.count(name) && !name.ends_with("_.h");
}

bool is_standard(const std::string& name) {
    return (name.find('/') == std::string::npos && name.find('.') == std::string::npos) ||
           kCHeaders.count(name);
}

// The project file an include names, relative to the root; empty for a header of the
// system or one found only through an include directory.
std::string resolve(const fs::path& root, const fs::path& file, bool quoted,
                    const std::string& name) {
    std::vector<std::string> p = parts(name);
    if (quoted) {
        std::error_code ec;
        fs::path beside = file.parent_path() / name;
        if (fs::exists(beside, ec))
            return fs::relative(beside, root, ec).lexically_normal().generic_string();
    }
    if (!p.empty() && kTopFolders.count(p[0]))
        return fs::path(name).lexically_normal().generic_string();
    return "";
}

// The rule an include breaks, or empty when it keeps them all.
std::string judge(const Headers& h, const std::vector<std::string>& from, bool quoted,
                  const std::string& name, const std::string& target) {
    std::vector<std::string> to = parts(target);
    const std::string& zone = from[0];
    const std::string to_zone = to.empty() ? "" : to[0];
    if (kProgram.count(zone)) {
        if (!to.empty())
            return kProgram.count(to_zone) ? "" : kProgramRule;
        if (quoted || h.win32.count(name) || is_mfc(h, name) || is_standard(name))
            return "";
        return kProgramRule;
    }
    if (zone == "platform") {
        if (to.empty())
            return h.mfc.count(name) ? kPlatformRule : "";
        if (to_zone != "platform")
            return kPlatformRule;
        const std::string& own = from.size() > 2 ? from[1] : "";
        const std::string& other = to.size() > 2 ? to[1] : "";
        auto below = kBelow.find(own);
        if (other == own || other == "include" || below == kBelow.end() ||
            below->second.count(other))
            return "";
        return "platform/" + own + " is below platform/" + other +
               " (platform folders include only those below them)";
    }
    if (to.empty())
        return "";
    if (zone == "afx")
        return to_zone == "afx" || to_zone == "platform" ? "" : kAfxRule;
    if (zone == "machine")
        return to_zone == "machine" || to_zone == "platform" || to_zone == "afx" || to_zone == "res"
                   ? ""
                   : kMachineRule;
    if (zone == "tools")
        return to_zone == "tools" || to_zone == "platform" ? "" : kToolsRule;
    return "";
}

bool is_source(const fs::path& p) {
    std::string ext = p.extension().string();
    return ext == ".h" || ext == ".hpp" || ext == ".c" || ext == ".cc" || ext == ".cpp";
}

} // namespace

std::vector<Violation> check_tree(const fs::path& root) {
    Headers h{names_in(root / "platform" / "include"), names_in(root / "afx" / "include")};
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<fs::path> files;
    for (const char* top : {"app", "core", "device", "settings", "peers", "ui", "controls", "res",
                            "afx", "platform", "machine", "tools"}) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(root / top, ec), end; !ec && it != end;
             it.increment(ec))
            if (it->is_regular_file() && is_source(it->path()))
                files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    std::vector<Violation> out;
    for (const fs::path& file : files) {
        std::string relative = fs::relative(file, root).generic_string();
        std::vector<std::string> from = parts(relative);
        std::ifstream in(file);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch m;
            if (!std::regex_search(line, m, include))
                continue;
            bool quoted = m[1] == "\"";
            std::string name = m[2];
            std::string rule = judge(h, from, quoted, name, resolve(root, file, quoted, name));
            if (!rule.empty())
                out.push_back(
                    {relative, number, quoted ? "\"" + name + "\"" : "<" + name + ">", rule});
        }
    }
    return out;
}

std::string describe(const Violation& v) {
    return v.file + ":" + std::to_string(v.line) + ": #include " + v.include + ": " + v.rule;
}

} // namespace layers
