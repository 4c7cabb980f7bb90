// What stands behind the ZEBACPI device: the firmware that evaluates its methods.
#pragma once

#include "machine/acpi/acpi_wire.h"

#include <memory>

namespace machine {

class AcpiBackend {
public:
    virtual ~AcpiBackend() = default;
    // Evaluates one method. Returns ERROR_SUCCESS with the answer filled in, or the Win32 error
    // the control call fails with (ERROR_FILE_NOT_FOUND for a method the firmware lacks).
    virtual DWORD evaluate(const AcpiCall& call, AcpiAnswer& answer) = 0;
};

// The simulated firmware of firmware.ini; fails with ERROR_FILE_NOT_FOUND when the notebook
// was never set up.
std::unique_ptr<AcpiBackend> open_simulated_backend(DWORD& error);

// The radios of this Linux machine through /dev/rfkill; fails with the Win32 error of opening
// it (ERROR_FILE_NOT_FOUND where it is missing, ERROR_ACCESS_DENIED where it is not permitted).
std::unique_ptr<AcpiBackend> open_rfkill_backend(DWORD& error);

} // namespace machine
