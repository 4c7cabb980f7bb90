// CWinThread, CWinApp, the module state and the program entry AfxWinMain.
#include "thread_state.h"

namespace {

// One module: the program. Plain data, so it outlives every object that asks for it.
AFX_MODULE_STATE module_state = {nullptr, NULL, NULL, nullptr};

} // namespace

AFX_MODULE_STATE* AFXAPI AfxGetModuleState() {
    return &module_state;
}
CWinApp* AFXAPI AfxGetApp() {
    return module_state.m_pCurrentWinApp;
}

CWinThread* AFXAPI AfxGetThread() {
    if (module_state.m_pCurrentWinApp != nullptr)
        return module_state.m_pCurrentWinApp;
    // Without an application object the thread still needs a message pump for modal loops.
    auto& state = platform::afx::thread_state();
    if (!state.thread_without_app)
        state.thread_without_app = std::make_unique<CWinThread>();
    return state.thread_without_app.get();
}

CWnd* AFXAPI AfxGetMainWnd() {
    CWinThread* thread = AfxGetThread();
    return thread != nullptr ? thread->GetMainWnd() : NULL;
}

LPCSTR AFXAPI AfxGetAppName() {
    return module_state.m_lpszCurrentAppName != nullptr ? module_state.m_lpszCurrentAppName : "";
}

HINSTANCE AFXAPI AfxGetInstanceHandle() {
    return module_state.m_hCurrentInstanceHandle;
}
HINSTANCE AFXAPI AfxGetResourceHandle() {
    return module_state.m_hCurrentResourceHandle;
}
void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource) {
    module_state.m_hCurrentResourceHandle = hInstResource;
}

HINSTANCE AFXAPI AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType) {
    HINSTANCE resources = AfxGetResourceHandle();
    if (::FindResourceA(resources, lpszName, lpszType) != NULL)
        return resources;
    return AfxGetInstanceHandle();
}

void AFXAPI AfxPostQuitMessage(int nExitCode) {
    ::PostQuitMessage(nExitCode);
}

BOOL CWinThread::InitInstance() {
    return FALSE;
}

int CWinThread::ExitInstance() {
    return (int)m_msgCur.wParam;
}

CWnd* CWinThread::GetMainWnd() {
    return m_pMainWnd;
}

BOOL CWinThread::PumpMessage() {
    if (!::GetMessageA(&m_msgCur, NULL, 0, 0))
        return FALSE;
    if (m_msgCur.message != WM_KICKIDLE && !PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageA(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) {
    CWnd* main = GetMainWnd();
    if (CWnd::WalkPreTranslateTree(main != NULL ? main->m_hWnd : NULL, pMsg))
        return TRUE;
    // A modeless window outside the main window's tree: the main window has the last word.
    if (main != NULL && pMsg->hwnd != NULL) {
        CWnd* wnd = CWnd::FromHandle(pMsg->hwnd);
        if (wnd->GetTopLevelParent() != main)
            return main->PreTranslateMessage(pMsg);
    }
    return FALSE;
}

BOOL CWinThread::OnIdle(LONG lCount) {
    // The second idle pass frees the temporary window wrappers.
    if (lCount >= 1)
        platform::afx::delete_temporaries_when_idle();
    return lCount < 1;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg) {
    // Repeated mouse moves at one spot, paints and caret blinks do not restart idle work.
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
        if (m_ptCursorLast.x == pMsg->pt.x && m_ptCursorLast.y == pMsg->pt.y &&
            pMsg->message == m_nMsgLast)
            return FALSE;
        m_ptCursorLast = pMsg->pt;
        m_nMsgLast = pMsg->message;
        return TRUE;
    }
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118;
}

int CWinThread::Run() {
    bool idle = true;
    LONG idle_count = 0;
    for (;;) {
        while (idle && !::PeekMessageA(&m_msgCur, NULL, 0, 0, PM_NOREMOVE))
            if (!OnIdle(idle_count++))
                idle = false;
        do {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                idle = true;
                idle_count = 0;
            }
        } while (::PeekMessageA(&m_msgCur, NULL, 0, 0, PM_NOREMOVE));
    }
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName) {
    module_state.m_pCurrentWinApp = this;
    module_state.m_lpszCurrentAppName = lpszAppName;
}

CWinApp::~CWinApp() {
    if (module_state.m_pCurrentWinApp == this) {
        module_state.m_pCurrentWinApp = nullptr;
        module_state.m_lpszCurrentAppName = nullptr;
    }
}

BOOL CWinApp::InitApplication() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return (int)m_msgCur.wParam;
}

BOOL CWinApp::OnIdle(LONG lCount) {
    return CWinThread::OnIdle(lCount);
}

void CWinApp::OnHelp() {}

BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
    module_state.m_hCurrentInstanceHandle = hInstance;
    module_state.m_hCurrentResourceHandle = hInstance;
    if (CWinApp* app = AfxGetApp()) {
        app->m_hInstance = hInstance;
        app->m_lpCmdLine = lpCmdLine;
        app->m_nCmdShow = nCmdShow;
    }
    return TRUE;
}

int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    int result = -1;
    CWinThread* thread = AfxGetThread();
    CWinApp* app = AfxGetApp();
    if (AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow) &&
        (app == nullptr || app->InitApplication())) {
        if (!thread->InitInstance()) {
            // No message loop: whatever InitInstance left behind is closed here.
            if (thread->m_pMainWnd != NULL)
                thread->m_pMainWnd->DestroyWindow();
            result = thread->ExitInstance();
        } else {
            result = thread->Run();
        }
    }
    CWnd::DeleteTempMap();
    return result;
}
