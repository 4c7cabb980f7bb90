// The framework's window procedure: from a window message to a message-map handler, with
// command routing and the reflection of control notifications back to the control.
#include "thread_state.h"

using platform::afx::thread_state;

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_MESSAGE(WM_CTLCOLORSTATIC, OnNTCtlColor)
ON_MESSAGE(WM_CTLCOLOREDIT, OnNTCtlColor)
ON_MESSAGE(WM_CTLCOLORBTN, OnNTCtlColor)
ON_MESSAGE(WM_CTLCOLORLISTBOX, OnNTCtlColor)
ON_MESSAGE(WM_CTLCOLORDLG, OnNTCtlColor)
ON_MESSAGE(WM_CTLCOLORMSGBOX, OnNTCtlColor)
ON_MESSAGE(WM_CTLCOLORSCROLLBAR, OnNTCtlColor)
ON_WM_DRAWITEM()
ON_WM_CTLCOLOR()
ON_WM_NCDESTROY()
ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

namespace {

// Windows a dialog is centred when it stayed hidden and unmoved during WM_INITDIALOG and
// its owner (if any) is disabled, as for every modal dialog.
struct InitDialogState {
    RECT rect{};
    DWORD style = 0;
};

void post_init_dialog(CWnd* wnd, const InitDialogState& before) {
    if (before.style & WS_VISIBLE)
        return;
    if (::GetWindowLongA(wnd->m_hWnd, GWL_STYLE) & (WS_VISIBLE | WS_CHILD))
        return;
    RECT rect;
    ::GetWindowRect(wnd->m_hWnd, &rect);
    if (rect.left != before.rect.left || rect.top != before.rect.top)
        return;
    HWND owner = ::GetWindow(wnd->m_hWnd, GW_OWNER);
    if (owner != NULL && ::IsWindowEnabled(owner))
        return;
    wnd->CenterWindow();
}

} // namespace

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    auto& state = thread_state();
    MSG saved = state.last_sent_msg; // handlers nest
    state.last_sent_msg.hwnd = hWnd;
    state.last_sent_msg.message = nMsg;
    state.last_sent_msg.wParam = wParam;
    state.last_sent_msg.lParam = lParam;
    ++state.call_depth;

    InitDialogState before;
    if (nMsg == WM_INITDIALOG) {
        ::GetWindowRect(hWnd, &before.rect);
        before.style = (DWORD)::GetWindowLongA(hWnd, GWL_STYLE);
    }
    LRESULT result = pWnd->WindowProc(nMsg, wParam, lParam);
    if (nMsg == WM_INITDIALOG && CWnd::FromHandlePermanent(hWnd) == pWnd && pWnd->CheckAutoCenter())
        post_init_dialog(pWnd, before);

    --state.call_depth;
    state.last_sent_msg = saved;
    return result;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (wnd == NULL || wnd->m_hWnd != hWnd)
        return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    return AfxCallWndProc(wnd, hWnd, nMsg, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG& msg = thread_state().last_sent_msg;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != NULL)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    WNDPROC* super = GetSuperWndProcAddr();
    if (super != NULL && *super != NULL)
        return ::CallWindowProcA(*super, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

namespace {

const AFX_MSGMAP_ENTRY* find_message_entry(const AFX_MSGMAP* map, UINT message) {
    for (; map != nullptr; map = map->pBaseMap)
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nSig != AfxSig_end; ++entry)
            if (entry->nMessage == message && entry->nCode == 0 && entry->nID == 0 &&
                entry->nLastID == 0)
                return entry;
    return nullptr;
}

template <class F> F as(const AFX_MSGMAP_ENTRY* entry) {
    return AfxMsgFuncAs<F>(entry->pfn);
}

} // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        if (pResult != NULL)
            *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT notify_result = 0;
        if (!OnNotify(wParam, lParam, &notify_result))
            return FALSE;
        if (pResult != NULL)
            *pResult = notify_result;
        return TRUE;
    }

    const AFX_MSGMAP_ENTRY* entry = find_message_entry(GetMessageMap(), message);
    if (entry == nullptr)
        return FALSE;
    switch (entry->nSig) {
    case AfxSig_vv:
        (this->*as<void (CWnd::*)()>(entry))();
        break;
    case AfxSig_bv:
        result = (this->*as<BOOL (CCmdTarget::*)()>(entry))();
        break;
    case AfxSig_vw:
        (this->*as<void (CWnd::*)(UINT)>(entry))((UINT)wParam);
        break;
    case AfxSig_vb:
        (this->*as<void (CWnd::*)(BOOL)>(entry))((BOOL)wParam);
        break;
    case AfxSig_hv:
        result = (LRESULT)(this->*as<HCURSOR (CWnd::*)()>(entry))();
        break;
    case AfxSig_vwp:
        (this->*as<void (CWnd::*)(UINT, CPoint)>(entry))((UINT)wParam, CPoint((DWORD)lParam));
        break;
    case AfxSig_vW:
        (this->*as<void (CWnd::*)(CWnd*)>(entry))(FromHandle((HWND)wParam));
        break;
    case AfxSig_vW2:
        (this->*as<void (CWnd::*)(CWnd*)>(entry))(FromHandle((HWND)lParam));
        break;
    case AfxSig_bWww:
        result = (this->*as<BOOL (CWnd::*)(CWnd*, UINT, UINT)>(entry))(
            FromHandle((HWND)wParam), (UINT)(short)LOWORD(lParam), HIWORD(lParam));
        break;
    case AfxSig_vwWb:
        (this->*as<void (CWnd::*)(UINT, CWnd*, BOOL)>(entry))(
            LOWORD(wParam), FromHandle((HWND)lParam), (BOOL)HIWORD(wParam));
        break;
    case AfxSig_vPOS:
        (this->*as<void (CWnd::*)(WINDOWPOS*)>(entry))(reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case AfxSig_hDw:
    case AfxSig_hDWw: {
        auto* ctl = reinterpret_cast<AFX_CTLCOLOR*>(lParam);
        CDC dc;
        dc.m_hDC = dc.m_hAttribDC = ctl->hDC;
        HBRUSH brush = entry->nSig == AfxSig_hDw
                           ? (this->*as<HBRUSH (CWnd::*)(CDC*, UINT)>(entry))(&dc, ctl->nCtlType)
                           : (this->*as<HBRUSH (CWnd::*)(CDC*, CWnd*, UINT)>(entry))(
                                 &dc, FromHandle(ctl->hWnd), ctl->nCtlType);
        dc.Detach();
        result = (LRESULT)brush;
        break;
    }
    case AfxSig_vOWNER:
        (this->*as<void (CWnd::*)(int, LPDRAWITEMSTRUCT)>(entry))(
            (int)wParam, reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        result = TRUE;
        break;
    case AfxSig_lwl:
        result = (this->*as<LRESULT (CWnd::*)(WPARAM, LPARAM)>(entry))(wParam, lParam);
        break;
    default:
        return FALSE;
    }
    if (pResult != NULL)
        *pResult = result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    HWND control = (HWND)lParam;
    int code = HIWORD(wParam);
    if (control == NULL) {
        // Menus and accelerators: every code is a command. Id 0 is never a command.
        if (id == 0)
            return FALSE;
        code = CN_COMMAND;
    } else {
        // Notifications raised while UpdateData runs are the data exchange's own doing.
        if (thread_state().lockout_notify_window == m_hWnd)
            return TRUE;
        // The control sees its notification first and may keep it.
        if (ReflectLastMsg(control))
            return TRUE;
        if (id == 0)
            return FALSE;
    }
    return OnCmdMsg(id, code, NULL, NULL);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == NULL)
        return FALSE;
    if (thread_state().lockout_notify_window == m_hWnd)
        return TRUE;
    return ReflectLastMsg(header->hwndFrom, pResult);
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult) {
    CWnd* child = FromHandlePermanent(hWndChild);
    return child != NULL && child->SendChildNotifyLastMsg(pResult);
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* pResult) {
    const MSG& msg = thread_state().last_sent_msg;
    return OnChildNotify(msg.message, msg.wParam, msg.lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_PARENTNOTIFY:
        return CWnd::OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
    case WM_COMMAND:
        if (CWnd::OnCmdMsg(0, MAKELONG(HIWORD(wParam), WM_REFLECT_BASE + WM_COMMAND), NULL, NULL)) {
            if (pResult != NULL)
                *pResult = 1;
            return TRUE;
        }
        return FALSE;
    default:
        if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
            AFX_CTLCOLOR ctl = {m_hWnd, (HDC)wParam, message - WM_CTLCOLORMSGBOX};
            LRESULT brush = 0;
            BOOL handled = CWnd::OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLOR, 0, (LPARAM)&ctl, &brush);
            // A null brush means the control leaves the colours to its parent.
            if (brush == 0)
                return FALSE;
            if (pResult != NULL)
                *pResult = brush;
            return handled;
        }
        return FALSE;
    }
}

// Default handlers of the messages that derived maps may take.
void CWnd::OnTimer(UINT) {
    Default();
}
void CWnd::OnWindowPosChanging(WINDOWPOS*) {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
HCURSOR CWnd::OnQueryDragIcon() {
    return (HCURSOR)Default();
}
void CWnd::OnLButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonUp(UINT, CPoint) {
    Default();
}
void CWnd::OnMouseMove(UINT, CPoint) {
    Default();
}
void CWnd::OnCaptureChanged(CWnd*) {
    Default();
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return (BOOL)Default();
}
void CWnd::OnKillFocus(CWnd*) {
    Default();
}
void CWnd::OnActivate(UINT, CWnd*, BOOL) {
    Default();
}
void CWnd::OnEnable(BOOL) {
    Default();
}
void CWnd::OnCancelMode() {
    Default();
}

void CWnd::OnSysColorChange() {
    // A top-level window passes the change on to the framework's child windows.
    if (!(GetStyle() & WS_CHILD))
        SendMessageToDescendants(WM_SYSCOLORCHANGE, 0, 0, TRUE, TRUE);
    Default();
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    // The control draws itself when it has a C++ object that takes the reflected message.
    if (lpDrawItemStruct != NULL && ReflectLastMsg(lpDrawItemStruct->hwndItem))
        return;
    Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT) {
    LRESULT result = 0;
    if (pWnd != NULL && ReflectLastMsg(pWnd->m_hWnd, &result))
        return (HBRUSH)result;
    return (HBRUSH)Default();
}

LRESULT CWnd::OnNTCtlColor(WPARAM wParam, LPARAM lParam) {
    // The WM_CTLCOLOR* family meets the message map as one WM_CTLCOLOR with the control type.
    const MSG& msg = thread_state().last_sent_msg;
    AFX_CTLCOLOR ctl = {(HWND)lParam, (HDC)wParam, msg.message - WM_CTLCOLORMSGBOX};
    LRESULT result = 0;
    if (OnWndMsg(WM_CTLCOLOR, 0, (LPARAM)&ctl, &result))
        return result;
    return Default();
}

void CWnd::OnNcDestroy() {
    CWinApp* app = AfxGetApp();
    // The main window going away ends the thread's message loop.
    if (app != NULL && app->m_pMainWnd == this) {
        AfxPostQuitMessage(0);
        app->m_pMainWnd = NULL;
    }
    WNDPROC proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC));
    Default();
    // Give the window its own procedure back unless someone subclassed it after us.
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) == proc) {
        WNDPROC* super = GetSuperWndProcAddr();
        if (*super != NULL)
            ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(*super));
    }
    Detach();
    PostNcDestroy();
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
    // From the message's window up through its parents to the stop window.
    for (HWND hWnd = pMsg->hwnd; hWnd != NULL; hWnd = ::GetParent(hWnd)) {
        CWnd* wnd = FromHandlePermanent(hWnd);
        if (wnd != NULL && wnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
    }
    return FALSE;
}
