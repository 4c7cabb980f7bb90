// The drivers that every program built on the platform carries, as Windows carries its kernel.
// This file is an object library of its own so that the linker cannot leave it out.
#include "machine/acpi/acpi_driver.h"

namespace {

struct KernelImage {
    KernelImage() { machine::register_acpi_driver(); }
} kernel_image;

} // namespace
