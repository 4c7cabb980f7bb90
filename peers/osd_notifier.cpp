// The console's side of the on-screen display: find (or start) the ZEBOSD window and post it
// the code of what was switched.
#include "peers/osd_notifier.h"

#include "app/console_dlg.h"

HWND g_hOsdWnd = NULL;

static const char c_szOsdClass[] = "ZEBOSD";
static const char c_szOsdTitle[] = "ZEBOSD";
static const char c_szOsdProgramFormat[] = "%s%\\ZEB0100\\ZEBOSD.EXE";
// What the format adds to the directory: "\ZEB0100\ZEBOSD.EXE".
static const int c_cchOsdProgramSuffix = 19;
// The program needs its window within this time after the start.
static const DWORD c_dwOsdStartWait = 2000;

BOOL BuildOsdCommandLine(LPCSTR pszWindowsDir, LPSTR pszCommandLine) {
    pszCommandLine[0] = '\0';
    // wsprintfA knows nothing of the buffer's size: refuse what would not fit.
    if (lstrlenA(pszWindowsDir) > OSD_PATH_BUFFER_SIZE - 1 - c_cchOsdProgramSuffix)
        return FALSE;
    wsprintfA(pszCommandLine, c_szOsdProgramFormat, pszWindowsDir);
    return TRUE;
}

// Starts the OSD program below the Windows directory, hidden. A Windows directory that does
// not fit the buffers leaves the program unstartable; the caller's search then reports it.
static void StartOsdProgram() {
    char szDirectory[OSD_PATH_BUFFER_SIZE];
    char szCommandLine[OSD_PATH_BUFFER_SIZE];
    UINT cchDirectory = GetWindowsDirectoryA(szDirectory, sizeof szDirectory);
    if (cchDirectory == 0 || cchDirectory >= sizeof szDirectory)
        return;
    if (!BuildOsdCommandLine(szDirectory, szCommandLine))
        return;
    WinExec(szCommandLine, SW_HIDE);
}

int CConsoleDlg::RequestOsd(int code) {
    // A window that has gone since it was found would swallow every request: look again.
    if (g_hOsdWnd != NULL && !::IsWindow(g_hOsdWnd))
        g_hOsdWnd = NULL;
    if (g_hOsdWnd == NULL)
        g_hOsdWnd = ::FindWindowA(c_szOsdClass, c_szOsdTitle);
    if (g_hOsdWnd == NULL) {
        StartOsdProgram();
        Sleep(c_dwOsdStartWait);
        g_hOsdWnd = ::FindWindowA(c_szOsdClass, c_szOsdTitle);
        if (g_hOsdWnd == NULL) {
            MessageBoxA("Can't find ZEBOSD", "ZEBOSD request", MB_ICONEXCLAMATION);
            return 0;
        }
    }
    // Shaped as a click on the OSD window's own control of that id.
    HWND hItem = ::GetDlgItem(g_hOsdWnd, code);
    if (m_bHasWlan != 0 || m_bHasBluetooth != 0)
        ::PostMessageA(g_hOsdWnd, WM_COMMAND, MAKEWPARAM(code, 0), (LPARAM)hItem);
    return 1;
}
