// Setting up the simulated notebook in the machine root: what `notebookctl init` does, for
// tests and tools that want a fresh notebook of their own.
#pragma once

#include "machine/acpi/firmware.h"

#include <windows.h>

#include <filesystem>
#include <string>

namespace machine {

// Creates or resets the machine root: the firmware with this profile (switch on, every radio
// on), the ACPI driver installed on a backend ("simulated", or "rfkill" for the radios of this
// Linux machine), an empty registry, the current user an administrator, and drive C: with its
// Windows directory. ERROR_SUCCESS or the Win32 error of the first step that failed.
DWORD init_notebook(const FirmwareProfile& profile, const std::string& backend = "simulated");

// Installs the on-screen display program `source` as C:\WINDOWS\ZEB0100\ZEBOSD.EXE,
// executable, replacing an older copy. ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when `source` does
// not exist, or the Win32 error of the copy.
DWORD install_osd_program(const std::filesystem::path& source);

// Whether the machine root holds a notebook (its firmware file exists).
bool notebook_exists();

// Installs the ACPI driver on a backend ("simulated", "rfkill"), or removes it (empty).
bool set_acpi_driver(const std::string& backend);
bool acpi_driver_installed();
// Whether the notebook was set up on the kernel's radios (machine.ini [machine] firmware), so
// that its driver, installed again, runs on them.
bool rfkill_notebook();

} // namespace machine
