// `reg`: the registry of the machine root from the command line, in the manner of Windows'
// reg.exe. Built only on the Win32 registry functions.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace reg_tool {

// reg.exe's texts.
inline constexpr const char* kSuccess = "The operation completed successfully.";
inline constexpr const char* kCanceled = "The operation was canceled by the user.";
inline constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
inline constexpr const char* kAccessDenied = "ERROR: Access is denied.";

struct KeyName {
    std::string sub_key; // below HKEY_LOCAL_MACHINE, as typed ("" for the root)
    std::string full;    // HKEY_LOCAL_MACHINE\..., as reg.exe prints it
};

// HKLM\... or HKEY_LOCAL_MACHINE\... in any case; no value for any other root.
std::optional<KeyName> parse_key_name(const std::string& arg);

// Prints the question (ending in "(Yes/No)?"), reads one line from standard input; only Yes or Y
// (any case) is yes. End of input counts as no.
bool ask_yes(const std::string& question);

int fail(const std::string& message);
int syntax_error(const char* operation);
// The message for a failing registry call and the exit code 1.
int fail_status(LONG status);
int succeed();

// A parsed command line: the switches /NAME with their argument, in order.
struct Switches {
    std::vector<std::string> positional;
    std::optional<std::string> v;
    bool ve = false, va = false, f = false, y = false;
    std::optional<std::string> t, d, s;
};
std::optional<Switches> parse_switches(const std::vector<std::string>& args);

std::string type_name(DWORD type);
// Data as `reg query` shows it.
std::string format_data(DWORD type, const std::vector<BYTE>& data);

struct ValueData {
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};
// All values of an open key, in enumeration order; the names of its subkeys.
LONG read_values(HKEY key, std::vector<ValueData>& out);
LONG read_subkey_names(HKEY key, std::vector<std::string>& out);
// Deletes a key below `parent` with all its subkeys.
LONG delete_tree(HKEY parent, const std::string& sub_key);

int run_query(const std::vector<std::string>& args);
int run_add(const std::vector<std::string>& args);
int run_delete(const std::vector<std::string>& args);
int run_export(const std::vector<std::string>& args);
int run_import(const std::vector<std::string>& args);

} // namespace reg_tool
