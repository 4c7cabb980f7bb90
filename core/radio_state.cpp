// The radio state: which radios and switch the firmware reports, and whether the radios
// are meant to be on.
#include "app/console_dlg.h"
#include "device/acpi_channel.h"

void CConsoleDlg::ProbeCapabilities() {
    DWORD dwStatus = 0;
    EvalAcpiMethod(ACPI_METHOD_HWRS, &dwStatus);

    if (dwStatus & HWRS_SWITCH_PRESENT) {
        m_bHasHwSwitch = 1;
        m_nToggleState = 0;
    } else {
        m_bHasHwSwitch = 0;
    }

    BOOL bWlan = (dwStatus & HWRS_WLAN_PRESENT) != 0;
    BOOL bBluetooth = (dwStatus & HWRS_BT_PRESENT) != 0;
    if (bBluetooth && bWlan) {
        m_bHasBluetooth = 1;
        m_bHasWlan = 1;
    } else if (bWlan) {
        m_bHasWlan = 1;
        m_bHasBluetooth = 0;
        m_nBtSetting = 0;
        m_btnBluetooth.SetCheck(0, 1);
        if (m_bHasHwSwitch == 1) {
            // The only radio, behind a switch: it is meant to be on.
            m_nWlanSetting = 1;
            m_btnWlan.SetCheck(1, 1);
        }
    } else if (bBluetooth) {
        m_bHasBluetooth = 1;
        m_bHasWlan = 0;
        m_nWlanSetting = 0;
        m_btnWlan.SetCheck(0, 1);
        if (m_bHasHwSwitch == 1) {
            m_nBtSetting = 1;
            m_btnBluetooth.SetCheck(1, 1);
        }
    } else {
        m_bHasBluetooth = 0;
        m_bHasWlan = 0;
        m_nBtSetting = 0;
        m_nWlanSetting = 0;
        m_btnBluetooth.SetCheck(0, 1);
        m_btnWlan.SetCheck(0, 1);
    }
}

int CConsoleDlg::SyncRadioStatus() {
    // With a hardware switch the saved settings are authoritative.
    if (m_bHasHwSwitch == 1)
        return 1;

    DWORD dwStatus = 0;
    if (!EvalAcpiMethod(ACPI_METHOD_RSTS, &dwStatus))
        return 0;

    BOOL bWlanOn = (dwStatus & RSTS_WLAN_ON) != 0;
    BOOL bBluetoothOn = (dwStatus & RSTS_BT_ON) != 0;
    m_btnWlan.SetCheck(bWlanOn ? 1 : 0, 1);
    m_btnBluetooth.SetCheck(bBluetoothOn ? 1 : 0, 1);
    m_nToggleState = (bWlanOn || bBluetoothOn) ? 1 : 0;

    return SaveSettings(m_btnWlan.GetCheck(), m_btnBluetooth.GetCheck(), m_nOsdOnSwitch,
                        m_nToggleState) != 0
               ? 1
               : 0;
}

BOOL CConsoleDlg::ReadSwitchState() {
    DWORD dwStatus = 0;
    if (m_bHasHwSwitch == 1) {
        EvalAcpiMethod(ACPI_METHOD_HWRS, &dwStatus);
        m_nToggleState = 0;
    }
    return (dwStatus & HWRS_SWITCH_ON) != 0 || m_nToggleState == 1;
}
