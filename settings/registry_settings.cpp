// The four persisted settings: REG_DWORD values under HKLM\Software\ZEB0100.
#include "app/console_dlg.h"

static const char c_szSettingsKey[] = "Software\\ZEB0100";

// The values in the order both operations visit them.
enum SettingIndex {
    SETTING_WLAN,
    SETTING_BLUETOOTH,
    SETTING_DISPLAY,
    SETTING_TOGGLE,
    SETTING_COUNT
};

struct SettingValue {
    LPCSTR pszName;
    int CConsoleDlg::*pMember;
    CIconCheckButton CConsoleDlg::*pBox; // NULL: the value has no check box
    int nBoxId;
    LPCSTR pszWarning;
    LPCSTR pszWarningCaption;
};

static const SettingValue c_settings[SETTING_COUNT] = {
    {"Linkward_WLAN_CONTROL", &CConsoleDlg::m_nWlanSetting, &CConsoleDlg::m_btnWlan, IDC_WLAN,
     "Can't create Registry Linkward_WLAN_CONTROL", "Linkward WLAN Control Warning"},
    {"Linkward_Bluetooth_CONTROL", &CConsoleDlg::m_nBtSetting, &CConsoleDlg::m_btnBluetooth,
     IDC_BLUETOOTH, "Can't create Registry Linkward_Bluetooth_CONTROL",
     "Linkward Bluetooth Control Warning"},
    {"Linkward_Display_CONTROL", &CConsoleDlg::m_nOsdOnSwitch, &CConsoleDlg::m_btnDisplay,
     IDC_DISPLAY, "Can't create Registry Wireless_Display_CONTROL", "Display Control Warning"},
    {"Linkward_Toggle_State", &CConsoleDlg::m_nToggleState, NULL, 0,
     "Can't create Registry Linkward_Toggle_State", "Linkward Toggle State Warning"},
};

// Whether a value is read and written on this machine at all.
static BOOL IsSettingUsed(const CConsoleDlg& dlg, int nIndex) {
    switch (nIndex) {
    case SETTING_WLAN:
        return dlg.m_bHasWlan == 1;
    case SETTING_BLUETOOTH:
        return dlg.m_bHasBluetooth == 1;
    case SETTING_TOGGLE:
        return dlg.m_bHasHwSwitch == 0;
    default:
        return TRUE;
    }
}

static int DefaultSetting(const CConsoleDlg& dlg, int nIndex) {
    if (nIndex == SETTING_DISPLAY)
        return dlg.m_bHasBluetooth == 1 && dlg.m_bHasWlan == 1 ? 1 : 0;
    return 1;
}

// Any stored type of at most four bytes reads; a missing or longer value does not.
static BOOL ReadSetting(HKEY hKey, LPCSTR pszName, DWORD* pdwValue) {
    DWORD dwValue = 0;
    DWORD cbData = sizeof(dwValue);
    if (RegQueryValueExA(hKey, pszName, NULL, NULL, (LPBYTE)&dwValue, &cbData) != ERROR_SUCCESS)
        return FALSE;
    *pdwValue = dwValue;
    return TRUE;
}

static LONG WriteSetting(HKEY hKey, LPCSTR pszName, int nValue) {
    DWORD dwValue = (DWORD)nValue;
    return RegSetValueExA(hKey, pszName, 0, REG_DWORD, (const BYTE*)&dwValue, sizeof(dwValue));
}

static BOOL OpenSettingsForWriting(HKEY* phKey) {
    DWORD dwDisposition = 0;
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, c_szSettingsKey, 0, NULL, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, NULL, phKey, &dwDisposition) == ERROR_SUCCESS;
}

int CConsoleDlg::LoadSettings() {
    HKEY hKey = NULL;
    if (OpenSettingsForWriting(&hKey)) {
        for (int i = 0; i < SETTING_COUNT; i++) {
            const SettingValue& s = c_settings[i];
            if (!IsSettingUsed(*this, i))
                continue;
            DWORD dwValue = 0;
            if (ReadSetting(hKey, s.pszName, &dwValue)) {
                if (s.pBox)
                    (this->*s.pBox).SetCheck(dwValue == 1 ? 1 : 0, 1);
                this->*s.pMember = (int)dwValue;
                continue;
            }
            int nDefault = DefaultSetting(*this, i);
            if (i == SETTING_DISPLAY)
                m_btnDisplay.SetCheck(nDefault, 1);
            if (WriteSetting(hKey, s.pszName, nDefault) != ERROR_SUCCESS) {
                RegCloseKey(hKey);
                MessageBoxA(s.pszWarning, s.pszWarningCaption, MB_OK);
                return 0;
            }
            this->*s.pMember = nDefault;
            if (i == SETTING_WLAN || i == SETTING_BLUETOOTH)
                (this->*s.pBox).SetCheck(1, 1);
        }
        RegCloseKey(hKey);
        return 1;
    }

    // Without write access the stored values are shown and locked.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, c_szSettingsKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return 1;
    for (int i = 0; i < SETTING_COUNT; i++) {
        const SettingValue& s = c_settings[i];
        DWORD dwValue = 0;
        if (!IsSettingUsed(*this, i) || !ReadSetting(hKey, s.pszName, &dwValue))
            continue;
        if (s.pBox) {
            (this->*s.pBox).SetCheck(dwValue == 1 ? 1 : 0, 1);
            GetDlgItem(s.nBoxId)->EnableWindow(FALSE);
        }
        this->*s.pMember = (int)dwValue;
    }
    RegCloseKey(hKey);
    return 1;
}

int CConsoleDlg::SaveSettings(int wlan, int bt, int display, int toggle) {
    HKEY hKey = NULL;
    if (!OpenSettingsForWriting(&hKey))
        return 1;
    const int values[SETTING_COUNT] = {wlan, bt, display, toggle};
    for (int i = 0; i < SETTING_COUNT; i++) {
        if (!IsSettingUsed(*this, i))
            continue;
        this->*c_settings[i].pMember = values[i];
        WriteSetting(hKey, c_settings[i].pszName, values[i]);
    }
    RegCloseKey(hKey);
    return 1;
}
