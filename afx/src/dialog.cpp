// CDialog: modal dialogs from templates, the framework's dialog procedure and data exchange.
#include "thread_state.h"

using platform::afx::thread_state;

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
END_MESSAGE_MAP()

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd) {}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCE(nIDTemplate)), m_pParentWnd(pParentWnd),
      m_nIDHelp(nIDTemplate) {}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd) {
    m_lpDialogTemplate = lpDialogTemplate;
    m_lpszTemplateName = NULL;
    m_hDialogTemplate = NULL;
    m_pParentWnd = pParentWnd;
    return lpDialogTemplate != NULL;
}

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& state = thread_state();
    // The dialog object waiting for its window takes the first message the dialog manager
    // passes here, so that everything from WM_INITDIALOG on runs through its message map.
    if (state.wnd_init != NULL && CWnd::FromHandlePermanent(hWnd) == NULL) {
        CWnd* wnd = state.wnd_init;
        state.wnd_init = NULL;
        if (wnd->SubclassWindow(hWnd) && message == WM_INITDIALOG)
            return AfxCallWndProc(wnd, hWnd, message, wParam, lParam);
        return FALSE;
    }
    if (message == WM_INITDIALOG) {
        auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
        return dialog != NULL ? dialog->OnInitDialog() : TRUE;
    }
    return FALSE;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    // The dialog manager's own processing calls AfxDlgProc, which runs OnInitDialog.
    return Default();
}

BOOL CDialog::OnInitDialog() {
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(int nResult) {
    if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL))
        EndModalLoop(nResult);
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    // Keyboard and mouse input, to the dialog or its controls, gets dialog navigation.
    bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                 (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    return input && IsDialogMessage(pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    // Commands (ids from 0x8000, below the system range) get a last chance at the application.
    if (nCode != CN_COMMAND || nID < 0x8000 || nID >= 0xF000)
        return FALSE;
    CWinThread* thread = AfxGetThread();
    return thread != NULL && thread->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CDialog::CheckAutoCenter() {
    return !(GetStyle() & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN));
}

HWND CDialog::PreModal() {
    // The owner: the parent, else the main window; a popup cannot be owned by a child.
    HWND owner = m_pParentWnd != NULL ? m_pParentWnd->m_hWnd : NULL;
    if (owner == NULL) {
        CWnd* main = AfxGetMainWnd();
        if (main != NULL && main != this)
            owner = main->m_hWnd;
    }
    while (owner != NULL && (::GetWindowLongA(owner, GWL_STYLE) & WS_CHILD))
        owner = ::GetParent(owner);
    m_hWndTop = NULL;
    return owner;
}

void CDialog::PostModal() {
    thread_state().wnd_init = NULL;
    Detach();
}

BOOL CDialog::CreateDlgIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd,
                                HINSTANCE hInst) {
    if (hInst == NULL)
        hInst = AfxGetResourceHandle();
    m_nModalResult = -1;
    m_nFlags |= WF_CONTINUEMODAL;
    auto& state = thread_state();
    state.wnd_init = this;
    HWND hWnd = ::CreateDialogIndirectParamA(
        hInst, lpDialogTemplate, pParentWnd != NULL ? pParentWnd->m_hWnd : NULL, AfxDlgProc, 0);
    state.wnd_init = NULL;
    // Ended while it initialised: the dialog is not kept.
    if (hWnd != NULL && !(m_nFlags & WF_CONTINUEMODAL)) {
        ::DestroyWindow(hWnd);
        hWnd = NULL;
    }
    if (hWnd == NULL) {
        if (m_hWnd != NULL)
            Detach();
        m_nFlags &= ~WF_CONTINUEMODAL;
        return FALSE;
    }
    return m_hWnd == hWnd;
}

BOOL CDialog::Create(LPCSTR lpszTemplateName, CWnd* pParentWnd) {
    m_lpszTemplateName = lpszTemplateName;
    if (pParentWnd != NULL)
        m_pParentWnd = pParentWnd;
    HINSTANCE hInst = AfxFindResourceHandle(lpszTemplateName, RT_DIALOG);
    HRSRC resource = ::FindResourceA(hInst, lpszTemplateName, RT_DIALOG);
    HGLOBAL loaded = resource != NULL ? ::LoadResource(hInst, resource) : NULL;
    auto dialog_template = loaded != NULL ? (LPCDLGTEMPLATE)::LockResource(loaded) : NULL;
    if (dialog_template == NULL || m_hWnd != NULL)
        return FALSE;
    BOOL created = CreateDlgIndirect(dialog_template, m_pParentWnd, hInst);
    // A modeless dialog has no modal loop to continue.
    m_nFlags &= ~WF_CONTINUEMODAL;
    return created;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    return Create(MAKEINTRESOURCE(nIDTemplate), pParentWnd);
}

int CDialog::DoModal() {
    LPCDLGTEMPLATE dialog_template = m_lpDialogTemplate;
    HINSTANCE hInst = AfxGetResourceHandle();
    if (m_lpszTemplateName != NULL) {
        hInst = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
        HRSRC resource = ::FindResourceA(hInst, m_lpszTemplateName, RT_DIALOG);
        HGLOBAL loaded = resource != NULL ? ::LoadResource(hInst, resource) : NULL;
        dialog_template = loaded != NULL ? (LPCDLGTEMPLATE)::LockResource(loaded) : NULL;
    }
    if (dialog_template == NULL || m_hWnd != NULL)
        return -1;

    HWND parent = PreModal();
    bool enable_parent = false;
    if (parent != NULL && ::IsWindowEnabled(parent)) {
        ::EnableWindow(parent, FALSE);
        enable_parent = true;
    }
    if (CreateDlgIndirect(dialog_template, FromHandle(parent), hInst)) {
        if (m_nFlags & WF_CONTINUEMODAL) {
            DWORD flags = MLF_SHOWONIDLE;
            if (GetStyle() & DS_NOIDLEMSG)
                flags |= MLF_NOIDLEMSG;
            RunModalLoop(flags);
        }
        if (m_hWnd != NULL)
            SetWindowPos(NULL, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (enable_parent)
        ::EnableWindow(parent, TRUE);
    if (parent != NULL && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(parent);
    DestroyWindow();
    PostModal();
    return m_nModalResult;
}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (control == NULL)
        Fail();
    return control;
}

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (pDX->failed() || rControl.m_hWnd != NULL)
        return;
    HWND control = pDX->PrepareCtrl(nIDC);
    if (control == NULL || !rControl.SubclassWindow(control))
        pDX->Fail();
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    if (!::IsWindow(m_hWnd))
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    auto& state = thread_state();
    HWND old_lockout = state.lockout_notify_window;
    state.lockout_notify_window = m_hWnd;
    DoDataExchange(&dx);
    state.lockout_notify_window = old_lockout;
    return !dx.failed();
}

BOOL CWnd::ContinueModal() {
    return (m_nFlags & WF_CONTINUEMODAL) != 0;
}

void CWnd::EndModalLoop(int nResult) {
    m_nModalResult = nResult;
    if (m_nFlags & WF_CONTINUEMODAL) {
        m_nFlags &= ~WF_CONTINUEMODAL;
        PostMessage(WM_NULL); // wakes the loop
    }
}

int CWnd::RunModalLoop(DWORD dwFlags) {
    bool idle = true;
    LONG idle_count = 0;
    // Shown when the queue first runs dry, unless something showed it before.
    bool show_on_idle = (dwFlags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
    HWND parent = ::GetParent(m_hWnd);
    m_nFlags |= WF_MODALLOOP | WF_CONTINUEMODAL;
    CWinThread* thread = AfxGetThread();
    MSG* msg = &thread->m_msgCur;

    for (;;) {
        while (idle && !::PeekMessageA(msg, NULL, 0, 0, PM_NOREMOVE)) {
            if (show_on_idle) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                show_on_idle = false;
            }
            if (!(dwFlags & MLF_NOIDLEMSG) && parent != NULL && idle_count == 0)
                ::SendMessageA(parent, WM_ENTERIDLE, MSGF_DIALOGBOX, (LPARAM)m_hWnd);
            if (idle_count == 0)
                platform::afx::delete_temporaries_when_idle();
            if ((dwFlags & MLF_NOKICKIDLE) ||
                !SendMessage(WM_KICKIDLE, MSGF_DIALOGBOX, idle_count++))
                idle = false;
        }
        do {
            if (!thread->PumpMessage()) {
                AfxPostQuitMessage(0);
                m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
                return -1;
            }
            if (show_on_idle && (msg->message == 0x0118 || msg->message == WM_SYSKEYDOWN)) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                show_on_idle = false;
            }
            // A window destroyed under the loop ends it too, rather than leaving it spinning.
            if (!ContinueModal() || m_hWnd == NULL) {
                m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
                return m_nModalResult;
            }
            if (thread->IsIdleMessage(msg)) {
                idle = true;
                idle_count = 0;
            }
        } while (::PeekMessageA(msg, NULL, 0, 0, PM_NOREMOVE));
    }
}
