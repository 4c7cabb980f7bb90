#include "machine/acpi/acpi_backend.h"
#include "machine/acpi/firmware.h"

namespace machine {

namespace {

class SimulatedFirmware final : public AcpiBackend {
public:
    DWORD evaluate(const AcpiCall& call, AcpiAnswer& answer) override {
        bool switches_radio = call.method == kMethodBled || call.method == kMethodWled;
        if (!switches_radio && call.method != kMethodHwrs && call.method != kMethodRsts)
            return ERROR_FILE_NOT_FOUND;
        Firmware firmware;
        if (DWORD error = read_firmware(firmware); error != ERROR_SUCCESS)
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ERROR_NOT_READY
                                                                                  : error;
        answer.shape = firmware.answer_for(call.method);
        if (answer.shape == AnswerShape::Fail)
            return ERROR_GEN_FAILURE;
        if (call.method == kMethodHwrs) {
            answer.value = firmware.hwrs();
        } else if (call.method == kMethodRsts) {
            answer.value = firmware.rsts();
        } else {
            if (!call.integer)
                return ERROR_INVALID_PARAMETER;
            return switch_radio(call.method == kMethodWled, *call.integer != 0, answer);
        }
        return ERROR_SUCCESS;
    }

private:
    static DWORD switch_radio(bool wlan, bool on, AcpiAnswer& answer) {
        Firmware after;
        DWORD error = update_firmware(
            [&](Firmware& f) {
                if (wlan && f.profile.wlan)
                    f.state.wlan_on = on;
                else if (!wlan && f.profile.bluetooth)
                    f.state.bluetooth_on = on;
            },
            &after);
        if (error != ERROR_SUCCESS)
            return error;
        answer.value = (after.rsts() & (wlan ? kRstsWlanOn : kRstsBluetoothOn)) ? 1 : 0;
        return ERROR_SUCCESS;
    }
};

} // namespace

std::unique_ptr<AcpiBackend> open_simulated_backend(DWORD& error) {
    Firmware firmware;
    error = read_firmware(firmware);
    if (error == ERROR_PATH_NOT_FOUND)
        error = ERROR_FILE_NOT_FOUND;
    return error == ERROR_SUCCESS ? std::make_unique<SimulatedFirmware>() : nullptr;
}

} // namespace machine
