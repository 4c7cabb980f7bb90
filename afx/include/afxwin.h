// The MFC subset of this project: application, windows, dialogs, buttons and GDI wrappers,
// with MFC's names, message maps and dispatch rules.
//
// Program start: link the `afx_main` object library; its main() calls
// AfxWinMain(GetModuleHandleA(NULL), NULL, <arguments after the program name>, SW_SHOWDEFAULT),
// which runs the one CWinApp object that the program defines at namespace scope.
#pragma once

#include <windows.h>

#include "afxtypes_.h"
#include "afxgdi_.h"
#include "afxmsg_.h"

class CWnd;
class CWinThread;
class CWinApp;
class CDataExchange;

#define AFXAPI
#define ID_HELP 0xE146
#define AFX_IDW_PANE_FIRST 0xE900

// CWnd::m_nFlags.
#define WF_MODALLOOP 0x0008
#define WF_CONTINUEMODAL 0x0010

// RunModalLoop flags.
#define MLF_NOIDLEMSG 0x0001
#define MLF_NOKICKIDLE 0x0002
#define MLF_SHOWONIDLE 0x0004

struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
    AFX_PMSG pmf;
};

// The reflected form of WM_CTLCOLOR*: the device context, the control type and the window.
struct AFX_CTLCOLOR {
    HWND hWnd;
    HDC hDC;
    UINT nCtlType;
};

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Finds the handler of a command or notification in the message maps and runs it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = NULL;

    // Insert-after windows for SetWindowPos.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    CWnd() = default;
    ~CWnd() override;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object attached to a handle; for an unknown handle a temporary wrapper that lives
    // until the next idle time or DeleteTempMap.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);
    static void DeleteTempMap();

    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Routes the window's messages through this object's message map; the old window
    // procedure stays the default processing.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();
    virtual void PreSubclassWindow();
    virtual BOOL DestroyWindow();

    // Window state.
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    int GetDlgCtrlID() const;
    CWnd* GetDlgItem(int nID) const;
    void GetDlgItem(int nID, HWND* phWnd) const;
    CWnd* GetParent() const;
    CWnd* GetOwner() const;
    CWnd* GetWindow(UINT nCmd) const;
    CWnd* GetTopLevelParent() const;
    BOOL IsChild(const CWnd* pWnd) const;
    void SetWindowText(LPCSTR lpszString);
    void SetWindowTextA(LPCSTR lpszString) { SetWindowText(lpszString); }
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const;
    int GetWindowTextA(LPSTR lpszStringBuf, int nMaxCount) const {
        return GetWindowText(lpszStringBuf, nMaxCount);
    }
    int GetWindowTextLength() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void CenterWindow(CWnd* pAlternateOwner = NULL);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    // Focus, activation, capture.
    CWnd* SetFocus();
    static CWnd* GetFocus();
    BOOL SetForegroundWindow();
    CWnd* SetCapture();
    static CWnd* GetCapture();

    // Painting.
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void UpdateWindow();

    // Messages and timers.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessage(message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return PostMessage(message, wParam, lParam);
    }
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                                  BOOL bDeep = TRUE, BOOL bOnlyPerm = FALSE);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    // The box is owned by this window; a null caption is the application's name.
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = NULL, UINT nType = MB_OK);
    int MessageBoxA(LPCSTR lpszText, LPCSTR lpszCaption = NULL, UINT nType = MB_OK) {
        return MessageBox(lpszText, lpszCaption, nType);
    }

    // Dialog data and modality.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    BOOL IsDialogMessage(LPMSG lpMsg);
    int RunModalLoop(DWORD dwFlags = 0);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int nResult);

    // Message translation and reflection.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
    static BOOL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = NULL);
    BOOL SendChildNotifyLastMsg(LRESULT* pResult = NULL);

    // The framework's window procedure, installed on every subclassed window.
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    friend LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

protected:
    WNDPROC m_pfnSuper = NULL; // the window procedure that was there before subclassing
    UINT m_nFlags = 0;
    int m_nModalResult = 0;

    virtual WNDPROC* GetSuperWndProcAddr();
    virtual BOOL CheckAutoCenter();
    virtual void DoDataExchange(CDataExchange* pDX);
    // Passes the message being handled on to the default processing.
    LRESULT Default();
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual void PostNcDestroy();

    // Default handlers: each passes the message on with Default().
    afx_msg void OnTimer(UINT nIDEvent);
    afx_msg void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnCaptureChanged(CWnd* pWnd);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg void OnCancelMode();
    // Handlers of CWnd's own map.
    afx_msg void OnSysColorChange();
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg LRESULT OnNTCtlColor(WPARAM wParam, LPARAM lParam);
    afx_msg void OnNcDestroy();

    DECLARE_MESSAGE_MAP()

private:
    bool attached_ = false; // in the permanent map
    CWnd(HWND special) : m_hWnd(special) {}
};

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0);

class CDataExchange {
public:
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    HWND PrepareCtrl(int nIDC);
    // Marks the exchange as failed: UpdateData returns FALSE and later DDX calls do nothing.
    void Fail() { failed_ = true; }
    bool failed() const { return failed_; }

private:
    bool failed_ = false;
};

// Binds a dialog control to a control object, subclassing it the first time.
void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
public:
    LPCSTR m_lpszTemplateName = NULL;
    LPCDLGTEMPLATE m_lpDialogTemplate = NULL;
    HGLOBAL m_hDialogTemplate = NULL;
    CWnd* m_pParentWnd = NULL;
    UINT m_nIDHelp = 0;

    CDialog() = default;
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = NULL);
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    BOOL InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = NULL);

    // Creates the dialog modeless from a template resource; FALSE when it cannot be created.
    BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = NULL);
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = NULL);

    // Runs the dialog modally; returns the EndDialog result, or -1 when it cannot be created.
    virtual int DoModal();
    void EndDialog(int nResult);
    virtual BOOL OnInitDialog();
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    HWND m_hWndTop = NULL;

    virtual void OnOK();
    virtual void OnCancel();
    BOOL CheckAutoCenter() override;
    BOOL CreateDlgIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst);
    HWND PreModal();
    void PostModal();
    afx_msg LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

    friend INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

class CButton : public CWnd {
public:
    UINT GetState() const;
    void SetState(BOOL bHighlight);
    int GetCheck() const;
    void SetCheck(int nCheck);
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);
    // Owner-drawn buttons draw here; the parent's WM_DRAWITEM is reflected to it.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CWinThread : public CCmdTarget {
public:
    CWnd* m_pMainWnd = NULL;
    MSG m_msgCur{};

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL PumpMessage();
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    virtual CWnd* GetMainWnd();

protected:
    POINT m_ptCursorLast{};
    UINT m_nMsgLast = 0;
};

class CWinApp : public CWinThread {
public:
    LPCSTR m_pszAppName;
    HINSTANCE m_hInstance = NULL;
    LPSTR m_lpCmdLine = NULL;
    int m_nCmdShow = SW_SHOWNORMAL;

    explicit CWinApp(LPCSTR lpszAppName = NULL);
    ~CWinApp() override;

    virtual BOOL InitApplication();
    int ExitInstance() override;
    BOOL OnIdle(LONG lCount) override;
    // There are no separate 3-D control libraries: controls always look three-dimensional.
    BOOL Enable3dControls() { return TRUE; }
    // There is no help engine; the help command does nothing.
    afx_msg void OnHelp();

    DECLARE_MESSAGE_MAP()
};

struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp;
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
    LPCSTR m_lpszCurrentAppName;
};

AFX_MODULE_STATE* AFXAPI AfxGetModuleState();
CWinApp* AFXAPI AfxGetApp();
CWinThread* AFXAPI AfxGetThread();
CWnd* AFXAPI AfxGetMainWnd();
LPCSTR AFXAPI AfxGetAppName();
HINSTANCE AFXAPI AfxGetInstanceHandle();
HINSTANCE AFXAPI AfxGetResourceHandle();
void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource);
// The module to load a resource from: the resource handle when it holds the resource,
// otherwise the program's own module.
HINSTANCE AFXAPI AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType);
void AFXAPI AfxPostQuitMessage(int nExitCode);
BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

#include "afxext.h"
