// Every change of the radios: the console's buttons and check boxes, the tray's radio
// commands, switch events posted by other programs, and the return from suspend.
#include "app/console_dlg.h"
#include "device/acpi_channel.h"

// WM_COMMAND id of the switch events; the high word of wParam is the event code.
#define ID_SWITCH_EVENT 112

enum SwitchEvent {
    SWITCH_EVENT_OFF = 0,
    SWITCH_EVENT_ON = 1,
    SWITCH_EVENT_TOGGLE = 2,
    SWITCH_EVENT_WLAN_ON = 3,
    SWITCH_EVENT_WLAN_OFF = 4,
    SWITCH_EVENT_BT_ON = 5,
    SWITCH_EVENT_BT_OFF = 6,
};

static const char c_szSelectRadio[] = "Please select a wireless function";

int CConsoleDlg::AllOffOsdCode() const {
    if (m_bHasBluetooth == 1 && m_bHasWlan == 1)
        return OSD_BOTH_OFF;
    if (m_bHasWlan == 1)
        return OSD_WLAN_OFF;
    return OSD_BT_OFF;
}

// The announcements name one radio only when that radio's setting is exactly 1 and the
// other's exactly 0; any other stored value (a 2 left in the registry) announces all off.
static int OnOsdCode(const CConsoleDlg& dlg, int bt, int wlan) {
    if (bt == 1 && wlan == 1)
        return OSD_BOTH_ON;
    if (bt == 1 && wlan == 0)
        return OSD_BT_ON;
    if (bt == 0 && wlan == 1)
        return OSD_WLAN_ON;
    return dlg.AllOffOsdCode();
}

static int OffOsdCode(const CConsoleDlg& dlg, int bt, int wlan) {
    if (bt == 1 && wlan == 1)
        return OSD_BOTH_OFF;
    if (bt == 1 && wlan == 0)
        return OSD_BT_OFF;
    if (bt == 0 && wlan == 1)
        return OSD_WLAN_OFF;
    return dlg.AllOffOsdCode();
}

void CConsoleDlg::UpdateApplyButton() {
    int w = m_btnWlan.GetCheck();
    int b = m_btnBluetooth.GetCheck();
    int d = m_btnDisplay.GetCheck();
    if (b == m_nBtSetting && w == m_nWlanSetting && d == m_nOsdOnSwitch) {
        m_btnApply.EnableWindow(FALSE);
    } else {
        m_btnApply.EnableWindow(TRUE);
        m_bApplied = 0;
    }
}

void CConsoleDlg::RestoreSelection() {
    m_btnWlan.SetCheck(m_nWlanSetting, 1);
    m_btnBluetooth.SetCheck(m_nBtSetting, 1);
    m_btnDisplay.SetCheck(m_nOsdOnSwitch, 1);
    UpdateApplyButton();
}

int CConsoleDlg::ApplySelection() {
    int w = m_btnWlan.GetCheck();
    int b = m_btnBluetooth.GetCheck();
    int d = m_btnDisplay.GetCheck();

    DWORD dwStatus = 0;
    if (m_bHasHwSwitch == 1) {
        if (b == 0 && w == 0) {
            // Behind a hardware switch the switch turns the radios off, not the selection.
            char szText[256];
            if (g_hLangLib == NULL) {
                lstrcpynA(szText, c_szSelectRadio, sizeof(szText));
            } else if (LoadStringA(g_hLangLib, IDS_SELECT_RADIO, szText, sizeof(szText)) == 0) {
                return 0;
            }
            MessageBoxA(szText, CONSOLE_TITLE, MB_ICONEXCLAMATION);
            return 0;
        }
        EvalAcpiMethod(ACPI_METHOD_HWRS, &dwStatus);
        m_nToggleState = 0;
    }

    DWORD dwResult = 0;
    BOOL bOn = (dwStatus & HWRS_SWITCH_ON) != 0 || m_nToggleState == 1;
    if (bOn) {
        if (b == 0 && w == 0) {
            RequestOsd(AllOffOsdCode());
            m_nToggleState = 0;
        } else {
            RequestOsd(OnOsdCode(*this, b, w));
        }
        EvalAcpiMethodInt(ACPI_METHOD_BLED, b, &dwResult);
        NotifyHotkeyService(w);
    } else if (b != 0 || w != 0) {
        // Selecting a radio while the radios are off switches them on.
        RequestOsd(OnOsdCode(*this, b, w));
        m_nToggleState = 1;
        EvalAcpiMethodInt(ACPI_METHOD_BLED, b, &dwResult);
        NotifyHotkeyService(w);
    }

    SaveSettings(w, b, d, m_nToggleState);
    UpdateTrayState();
    return 1;
}

void CConsoleDlg::ShowConsoleFromEvent() {
    m_bConsoleVisible = 1;
    UpdateShowHideText();
    ShowWindow(SW_SHOWNORMAL);
    SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    SetFocus();
    ::SetForegroundWindow(m_hWnd);
    SetWindowPos(&CWnd::wndNoTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

void CConsoleDlg::OnOkButton() {
    if (m_bApplied == 0) {
        // OK carries out the selection even when nothing changed, unless Apply just did.
        if (ApplySelection() != 0) {
            m_bConsoleVisible = 0;
            ShowWindow(SW_HIDE);
        }
    } else {
        m_bConsoleVisible = 0;
        RestoreSelection();
        ShowWindow(SW_HIDE);
    }
    UpdateShowHideText();
    m_btnOk.SetDrawState(0);
}

void CConsoleDlg::OnCancelButton() {
    m_bConsoleVisible = 0;
    UpdateShowHideText();
    RestoreSelection();
    ShowWindow(SW_HIDE);
    m_btnCancel.SetDrawState(0);
}

void CConsoleDlg::OnApplyButton() {
    if (ApplySelection() != 0)
        m_bApplied = 1;
    m_btnApply.SetDrawState(0);
    m_btnApply.EnableWindow(FALSE);
}

void CConsoleDlg::OnWlanBox() {
    // The only radio, behind a hardware switch: a click takes effect at once.
    if (m_bHasBluetooth == 0 && m_bHasHwSwitch == 1) {
        if (ApplySelection() == 0)
            m_btnWlan.SetCheck(1, 1);
    } else {
        UpdateApplyButton();
    }
}

void CConsoleDlg::OnBluetoothBox() {
    if (m_bHasWlan == 0 && m_bHasHwSwitch == 1) {
        if (ApplySelection() == 0)
            m_btnBluetooth.SetCheck(1, 1);
    } else {
        UpdateApplyButton();
    }
}

void CConsoleDlg::OnDisplayBox() {
    UpdateApplyButton();
}

void CConsoleDlg::OnTrayWlanOn() {
    if (m_nWlanSetting != 0)
        return;
    m_btnWlan.SetCheck(1, 1);
    ApplySelection();
}

void CConsoleDlg::OnTrayWlanOff() {
    if (m_nWlanSetting != 1)
        return;
    m_btnWlan.SetCheck(0, 1);
    if (ApplySelection() == 0)
        m_btnWlan.SetCheck(1, 1);
}

void CConsoleDlg::OnTrayBtOn() {
    if (m_nBtSetting != 0)
        return;
    m_btnBluetooth.SetCheck(1, 1);
    ApplySelection();
}

void CConsoleDlg::OnTrayBtOff() {
    if (m_nBtSetting != 1)
        return;
    m_btnBluetooth.SetCheck(0, 1);
    if (ApplySelection() == 0)
        m_btnBluetooth.SetCheck(1, 1);
}

// The switch turned on: the saved settings go to the radios.
void CConsoleDlg::SwitchOn() {
    if (m_nOsdOnSwitch == 1 && m_bConsoleVisible == 0)
        ShowConsoleFromEvent();
    else
        RequestOsd(OnOsdCode(*this, m_nBtSetting, m_nWlanSetting));
    UpdateTrayState();
    DWORD dwResult = 0;
    EvalAcpiMethodInt(ACPI_METHOD_BLED, m_nBtSetting, &dwResult);
    NotifyHotkeyService(m_nWlanSetting);
}

void CConsoleDlg::SwitchOff() {
    RequestOsd(OffOsdCode(*this, m_nBtSetting, m_nWlanSetting));
    UpdateTrayState();
    DWORD dwResult = 0;
    EvalAcpiMethodInt(ACPI_METHOD_BLED, 0, &dwResult);
    NotifyHotkeyService(0);
    RestoreSelection();
    m_bConsoleVisible = 0;
    UpdateShowHideText();
    ShowWindow(SW_HIDE);
}

void CConsoleDlg::OnSwitchEvent(int nCode) {
    switch (nCode) {
    case SWITCH_EVENT_OFF:
        SwitchOff();
        break;
    case SWITCH_EVENT_ON:
        SwitchOn();
        break;
    case SWITCH_EVENT_TOGGLE:
        if (m_nToggleState == 1) {
            m_nToggleState = 0;
            SaveSettings(m_nWlanSetting, m_nBtSetting, m_nOsdOnSwitch, 0);
            SwitchOff();
        } else {
            m_nToggleState = 1;
            // A toggle to on never leaves every radio off.
            if (m_nBtSetting == 0 && m_nWlanSetting == 0) {
                if (m_bHasWlan == 1)
                    m_nWlanSetting = 1;
                if (m_bHasBluetooth == 1)
                    m_nBtSetting = 1;
                RestoreSelection();
            }
            SaveSettings(m_nWlanSetting, m_nBtSetting, m_nOsdOnSwitch, m_nToggleState);
            SwitchOn();
        }
        break;
    // Codes 3 to 6 record a change made elsewhere; nothing is sent.
    case SWITCH_EVENT_WLAN_ON:
        m_btnWlan.SetCheck(1, 1);
        m_nToggleState = 1;
        SaveSettings(1, m_nBtSetting, m_nOsdOnSwitch, 1);
        UpdateTrayState();
        break;
    case SWITCH_EVENT_WLAN_OFF:
        m_btnWlan.SetCheck(0, 1);
        if (m_nBtSetting == 0)
            m_nToggleState = 0;
        SaveSettings(0, m_nBtSetting, m_nOsdOnSwitch, m_nToggleState);
        UpdateTrayState();
        break;
    case SWITCH_EVENT_BT_ON:
        m_btnBluetooth.SetCheck(1, 1);
        m_nToggleState = 1;
        SaveSettings(m_nWlanSetting, 1, m_nOsdOnSwitch, 1);
        UpdateTrayState();
        break;
    case SWITCH_EVENT_BT_OFF:
        m_btnBluetooth.SetCheck(0, 1);
        if (m_nWlanSetting == 0)
            m_nToggleState = 0;
        SaveSettings(m_nWlanSetting, 0, m_nOsdOnSwitch, m_nToggleState);
        UpdateTrayState();
        break;
    default:
        break; // unknown codes are ignored
    }
}

BOOL CConsoleDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) != ID_SWITCH_EVENT)
        return CWnd::OnCommand(wParam, lParam);
    OnSwitchEvent(HIWORD(wParam));
    return 1;
}

LRESULT CConsoleDlg::OnPowerBroadcast(WPARAM wParam, LPARAM lParam) {
    if (wParam == PBT_APMRESUMESUSPEND) {
        // After a resume the radios are told again; unlike the start-up, whatever is present.
        DWORD dwResult = 0;
        if (ReadSwitchState()) {
            EvalAcpiMethodInt(ACPI_METHOD_BLED, m_nBtSetting, &dwResult);
            NotifyHotkeyService(m_nWlanSetting);
        } else {
            EvalAcpiMethodInt(ACPI_METHOD_BLED, 0, &dwResult);
            NotifyHotkeyService(0);
        }
        UpdateTrayState();
    }
    return TRUE;
}
