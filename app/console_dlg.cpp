#include "console_dlg.h"

BEGIN_MESSAGE_MAP(CConsoleDlg, CDialog)
ON_WM_TIMER()
ON_WM_WINDOWPOSCHANGING()
ON_COMMAND(ID_TRAY_EXIT, OnExit)
ON_MESSAGE(WM_TRAY_NOTIFY, OnTrayNotify)
ON_COMMAND(ID_TRAY_TOGGLE_CONSOLE, OnToggleConsole)
ON_BN_CLICKED(IDOK, OnOkButton)
ON_BN_CLICKED(IDCANCEL, OnCancelButton)
ON_BN_CLICKED(IDC_APPLY, OnApplyButton)
ON_BN_CLICKED(IDC_WLAN, OnWlanBox)
ON_BN_CLICKED(IDC_BLUETOOTH, OnBluetoothBox)
ON_BN_CLICKED(IDC_DISPLAY, OnDisplayBox)
ON_COMMAND(ID_TRAY_WLAN_ON, OnTrayWlanOn)
ON_COMMAND(ID_TRAY_WLAN_OFF, OnTrayWlanOff)
ON_COMMAND(ID_TRAY_BT_ON, OnTrayBtOn)
ON_COMMAND(ID_TRAY_BT_OFF, OnTrayBtOff)
ON_MESSAGE(WM_POWERBROADCAST, OnPowerBroadcast)
END_MESSAGE_MAP()

CConsoleDlg::CConsoleDlg(CWnd* pParent)
    : CDialog(IDD_CONSOLE, pParent), m_hIcon(NULL), m_nTrayIconId(IDI_APP), m_bConsoleVisible(1),
      m_nWlanSetting(0), m_nBtSetting(0), m_nOsdOnSwitch(0), m_nToggleState(0), m_bHasBluetooth(0),
      m_bHasWlan(0), m_bHasHwSwitch(0), m_bApplied(0) {
    m_hIcon = LoadIconA(AfxFindResourceHandle(MAKEINTRESOURCE(IDI_APP), RT_GROUP_ICON),
                        MAKEINTRESOURCE(IDI_APP));
}

void CConsoleDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WLAN, m_btnWlan);
    DDX_Control(pDX, IDC_BLUETOOTH, m_btnBluetooth);
    DDX_Control(pDX, IDC_DISPLAY, m_btnDisplay);
    DDX_Control(pDX, IDC_APPLY, m_btnApply);
    DDX_Control(pDX, IDOK, m_btnOk);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
}
