// CWnd: the handle maps, attaching and subclassing, and the thin Win32 wrappers.
#include "thread_state.h"

using platform::afx::thread_state;

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::~CWnd() {
    CWinApp* app = AfxGetApp();
    // A main window that goes away must not be destroyed again later through a stale pointer.
    if (app != NULL && app->m_pMainWnd == this)
        app->m_pMainWnd = NULL;
    if (attached_) {
        // As MFC: an object that still owns its window destroys it.
        if (m_hWnd != NULL && ::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
        if (attached_)
            Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == NULL)
        return NULL;
    auto& map = thread_state().permanent;
    auto it = map.find(hWnd);
    return it == map.end() ? NULL : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == NULL)
        return NULL;
    if (CWnd* wnd = FromHandlePermanent(hWnd))
        return wnd;
    auto& state = thread_state();
    auto it = state.temporary.find(hWnd);
    if (it != state.temporary.end())
        return it->second;
    auto wnd = std::make_unique<CWnd>();
    wnd->m_hWnd = hWnd;
    CWnd* result = wnd.get();
    state.temporary.emplace(hWnd, result);
    state.temporary_objects.push_back(std::move(wnd));
    return result;
}

void CWnd::DeleteTempMap() {
    thread_state().delete_temporaries();
}

BOOL CWnd::Attach(HWND hWndNew) {
    if (hWndNew == NULL || m_hWnd != NULL)
        return FALSE;
    auto& map = thread_state().permanent;
    // One object per window: a second one would leave the first dangling in the map.
    if (map.count(hWndNew))
        return FALSE;
    map.emplace(hWndNew, this);
    m_hWnd = hWndNew;
    attached_ = true;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd != NULL) {
        auto& state = thread_state();
        auto it = state.permanent.find(hWnd);
        if (it != state.permanent.end() && it->second == this)
            state.permanent.erase(it);
        auto temp = state.temporary.find(hWnd);
        if (temp != state.temporary.end() && temp->second == this)
            state.temporary.erase(temp);
    }
    m_hWnd = NULL;
    attached_ = false;
    return hWnd;
}

WNDPROC* CWnd::GetSuperWndProcAddr() {
    return &m_pfnSuper;
}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!::IsWindow(hWnd) || !Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC afx_proc = &CWnd::AfxWndProc;
    WNDPROC old_proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
    if (old_proc == afx_proc || old_proc == NULL ||
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(afx_proc)) == 0) {
        // Already routed through the framework, or not ours to change.
        Detach();
        return FALSE;
    }
    WNDPROC* super = GetSuperWndProcAddr();
    if (*super == NULL)
        *super = old_proc;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (pParent == NULL)
        return FALSE;
    HWND hWndControl = ::GetDlgItem(pParent->m_hWnd, (int)nID);
    return hWndControl != NULL && SubclassWindow(hWndControl);
}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd == NULL)
        return NULL;
    WNDPROC* super = GetSuperWndProcAddr();
    if (*super != NULL) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(*super));
        *super = NULL;
    }
    return Detach();
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == NULL)
        return FALSE;
    bool permanent = FromHandlePermanent(m_hWnd) == this;
    BOOL result = ::DestroyWindow(m_hWnd);
    // A permanent object is detached by WM_NCDESTROY; anything else is detached here.
    if (!permanent)
        Detach();
    return result;
}

DWORD CWnd::GetStyle() const {
    return (DWORD)::GetWindowLongA(m_hWnd, GWL_STYLE);
}
DWORD CWnd::GetExStyle() const {
    return (DWORD)::GetWindowLongA(m_hWnd, GWL_EXSTYLE);
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    DWORD style = GetStyle();
    DWORD new_style = (style & ~dwRemove) | dwAdd;
    if (style == new_style)
        return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, (LONG)new_style);
    if (nFlags != 0)
        ::SetWindowPos(m_hWnd, NULL, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

int CWnd::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(m_hWnd);
}
CWnd* CWnd::GetDlgItem(int nID) const {
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}
void CWnd::GetDlgItem(int nID, HWND* phWnd) const {
    *phWnd = ::GetDlgItem(m_hWnd, nID);
}
CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}
CWnd* CWnd::GetWindow(UINT nCmd) const {
    return FromHandle(::GetWindow(m_hWnd, nCmd));
}

CWnd* CWnd::GetOwner() const {
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    return FromHandle(owner != NULL ? owner : ::GetParent(m_hWnd));
}

CWnd* CWnd::GetTopLevelParent() const {
    if (m_hWnd == NULL)
        return NULL;
    HWND top = m_hWnd;
    while (::GetWindowLongA(top, GWL_STYLE) & WS_CHILD) {
        HWND parent = ::GetParent(top);
        if (parent == NULL)
            break;
        top = parent;
    }
    return FromHandle(top);
}

BOOL CWnd::IsChild(const CWnd* pWnd) const {
    return pWnd != NULL && ::IsChild(m_hWnd, pWnd->m_hWnd);
}

void CWnd::SetWindowText(LPCSTR lpszString) {
    ::SetWindowTextA(m_hWnd, lpszString);
}
int CWnd::GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const {
    return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
}
int CWnd::GetWindowTextLength() const {
    return ::GetWindowTextLengthA(m_hWnd);
}
BOOL CWnd::EnableWindow(BOOL bEnable) {
    return ::EnableWindow(m_hWnd, bEnable);
}
BOOL CWnd::IsWindowEnabled() const {
    return ::IsWindowEnabled(m_hWnd);
}
BOOL CWnd::ShowWindow(int nCmdShow) {
    return ::ShowWindow(m_hWnd, nCmdShow);
}
BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    HWND after = pWndInsertAfter != NULL ? pWndInsertAfter->m_hWnd : NULL;
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, nFlags);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}
void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
    MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
               lpRect->bottom - lpRect->top, bRepaint);
}
void CWnd::GetWindowRect(LPRECT lpRect) const {
    ::GetWindowRect(m_hWnd, lpRect);
}
void CWnd::GetClientRect(LPRECT lpRect) const {
    ::GetClientRect(m_hWnd, lpRect);
}
void CWnd::ClientToScreen(LPPOINT lpPoint) const {
    ::ClientToScreen(m_hWnd, lpPoint);
}
void CWnd::ScreenToClient(LPPOINT lpPoint) const {
    ::ScreenToClient(m_hWnd, lpPoint);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    // Over the owner when it is shown, else over the screen; always kept on the screen.
    RECT area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    RECT center = area;
    HWND owner = pAlternateOwner != NULL ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (owner != NULL && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &center);
    RECT rect;
    ::GetWindowRect(m_hWnd, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int x = (center.left + center.right) / 2 - width / 2;
    int y = (center.top + center.bottom) / 2 - height / 2;
    if (x + width > area.right)
        x = area.right - width;
    if (x < area.left)
        x = area.left;
    if (y + height > area.bottom)
        y = area.bottom - height;
    if (y < area.top)
        y = area.top;
    ::SetWindowPos(m_hWnd, NULL, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return (HICON)::SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                 (LPARAM)hIcon);
}

CWnd* CWnd::SetFocus() {
    return FromHandle(::SetFocus(m_hWnd));
}
CWnd* CWnd::GetFocus() {
    return FromHandle(::GetFocus());
}
BOOL CWnd::SetForegroundWindow() {
    return ::SetForegroundWindow(m_hWnd);
}
CWnd* CWnd::SetCapture() {
    return FromHandle(::SetCapture(m_hWnd));
}
CWnd* CWnd::GetCapture() {
    return FromHandle(::GetCapture());
}

void CWnd::Invalidate(BOOL bErase) {
    ::InvalidateRect(m_hWnd, NULL, bErase);
}
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
    ::InvalidateRect(m_hWnd, lpRect, bErase);
}
void CWnd::UpdateWindow() {
    ::UpdateWindow(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}
LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep,
                                    BOOL bOnlyPerm) {
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != NULL;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (bOnlyPerm) {
            if (CWnd* wnd = FromHandlePermanent(child))
                AfxCallWndProc(wnd, child, message, wParam, lParam);
        } else {
            ::SendMessageA(child, message, wParam, lParam);
        }
        if (bDeep && ::GetWindow(child, GW_CHILD) != NULL)
            FromHandle(child)->SendMessageToDescendants(message, wParam, lParam, bDeep, bOnlyPerm);
    }
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    return ::KillTimer(m_hWnd, nIDEvent);
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
    if (lpszCaption == NULL)
        lpszCaption = AfxGetAppName();
    return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}

BOOL CWnd::IsDialogMessage(LPMSG lpMsg) {
    return ::IsDialogMessageA(m_hWnd, lpMsg);
}

BOOL CWnd::CheckAutoCenter() {
    return TRUE;
}
void CWnd::DoDataExchange(CDataExchange*) {}
void CWnd::PostNcDestroy() {}
