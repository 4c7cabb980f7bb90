#include "console_app.h"
#include "console_dlg.h"

BEGIN_MESSAGE_MAP(CConsoleApp, CWinApp)
ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CConsoleApp theApp;

BOOL CConsoleApp::InitInstance() {
    Enable3dControls();
    CConsoleDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // The dialog has ended: no message loop of the framework's own follows.
    return FALSE;
}
