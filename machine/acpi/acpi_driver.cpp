#include "machine/acpi/acpi_driver.h"
#include "machine/acpi/acpi_backend.h"

#include "platform/kernel/driver.h"

#include <strings.h>

namespace machine {

namespace {

class AcpiDriver final : public platform::Driver {
public:
    DWORD open(const std::string& backend, DWORD) override {
        DWORD error = ERROR_FILE_NOT_FOUND; // an unknown backend: no such device here
        if (strcasecmp(backend.c_str(), "simulated") == 0)
            backend_ = open_simulated_backend(error);
        else if (strcasecmp(backend.c_str(), "rfkill") == 0)
            backend_ = open_rfkill_backend(error);
        return error;
    }

    DWORD ioctl(DWORD code, const void* in, DWORD in_size, void* out, DWORD out_size,
                DWORD& bytes_returned) override {
        if (code != kAcpiEvalMethod)
            return ERROR_INVALID_FUNCTION;
        if (in_size < kAcpiRequestSize)
            return ERROR_INVALID_PARAMETER;
        // Checked before the method runs, so that a switch never happens unanswered.
        if (out_size < kAcpiMinAnswerSize)
            return ERROR_INSUFFICIENT_BUFFER;
        AcpiCall call;
        if (DWORD error = decode_acpi_request(in, in_size, call); error != ERROR_SUCCESS)
            return error;
        AcpiAnswer answer;
        if (DWORD error = backend_->evaluate(call, answer); error != ERROR_SUCCESS)
            return error;
        return encode_acpi_answer(answer, out, out_size, bytes_returned);
    }

private:
    std::unique_ptr<AcpiBackend> backend_;
};

} // namespace

void register_acpi_driver() {
    platform::register_driver("ZEBACPI", [] { return std::make_unique<AcpiDriver>(); });
}

} // namespace machine
