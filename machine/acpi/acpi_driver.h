// The driver of the ACPI device \\.\ZEBACPI. machine.ini [devices] ZEBACPI=<backend> installs
// it: "simulated" (the firmware of firmware.ini, see firmware.h) or "rfkill" (the radios of
// this Linux machine). It serves one control code, 0x222404, evaluating one ACPI method per
// request (see acpi_wire.h).
//
// Executables get the driver by linking the object library machine_kernel
// (target_link_libraries(prog PRIVATE machine_kernel)), whose static object registers it
// before main; a static library alone would let the linker drop that object.
#pragma once

namespace machine {

// Registers the ZEBACPI driver with the platform (again replaces it).
void register_acpi_driver();

} // namespace machine
