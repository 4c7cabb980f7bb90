// The application object and program start, the module's resource handles and GDI wrappers.
#include "afx_fixture.h"

namespace {

using afx_test::CScriptDlg;

class CNoLoopApp : public CWinApp {
public:
    int inits = 0;
    BOOL InitInstance() override {
        ++inits;
        return FALSE;
    }
    int ExitInstance() override { return 7; }
};

using Application = afx_test::AfxFixture;

TEST_F(Application, AFailedInitInstanceEndsWithoutAMessageLoop) {
    HWND other = ::CreateWindowExA(0, "Button", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ::PostMessageA(other, WM_APP + 3, 0, 0);
    CNoLoopApp app;
    char command_line[] = "-x";
    HINSTANCE instance = ::GetModuleHandleA(NULL);
    EXPECT_EQ(AfxWinMain(instance, NULL, command_line, SW_SHOW), 7);
    EXPECT_EQ(app.inits, 1);
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_EQ(AfxGetInstanceHandle(), instance);
    EXPECT_EQ(AfxGetResourceHandle(), instance);
    EXPECT_STREQ(app.m_lpCmdLine, "-x");
    MSG msg; // still waiting: nothing pumped the queue
    EXPECT_TRUE(::PeekMessageA(&msg, other, WM_APP + 3, WM_APP + 3, PM_REMOVE));
    ::DestroyWindow(other);
}

class CLoopApp : public CWinApp {
public:
    BOOL InitInstance() override { return TRUE; }
};

TEST_F(Application, ASuccessfulInitInstanceRunsTheLoopUntilQuit) {
    CLoopApp app;
    ::PostQuitMessage(3);
    EXPECT_EQ(AfxWinMain(::GetModuleHandleA(NULL), NULL, NULL, SW_SHOW), 3);
}

class CConsoleApp : public CWinApp {
public:
    int helps = 0;
    bool main_window_cleared = false;
    BOOL InitInstance() override {
        Enable3dControls();
        CScriptDlg dlg(200);
        m_pMainWnd = &dlg;
        dlg.step([&] { ::SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_HELP, 0); });
        dlg.DoModal();
        main_window_cleared = m_pMainWnd == NULL;
        return FALSE;
    }

protected:
    afx_msg void OnHelpCommand() { ++helps; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CConsoleApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelpCommand)
END_MESSAGE_MAP()

TEST_F(Application, TheWholeRunCanBeOneModalDialog) {
    CConsoleApp app;
    // The code is the last message's wParam, as in MFC: nothing to check but the return.
    AfxWinMain(::GetModuleHandleA(NULL), NULL, NULL, SW_SHOW);
    EXPECT_EQ(app.helps, 1); // the dialog's unhandled command went on to the application
    EXPECT_TRUE(app.main_window_cleared);
    MSG msg; // the main window's end asked the thread to quit, as MFC does
    EXPECT_TRUE(::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
}

std::string rcdata(HINSTANCE module, int id) {
    HRSRC res = ::FindResourceA(module, MAKEINTRESOURCE(id), RT_RCDATA);
    if (res == NULL)
        return "";
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(module, res)));
    return std::string(data, ::SizeofResource(module, res));
}

TEST_F(Application, ResourcesComeFromTheResourceHandleFirstThenTheProgram) {
    HINSTANCE program = ::GetModuleHandleA(NULL);
    HINSTANCE library = ::LoadLibraryA("afxtestlib.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(7), RT_RCDATA), program);

    AfxGetModuleState()->m_hCurrentResourceHandle = library;
    EXPECT_EQ(AfxGetResourceHandle(), library);
    HINSTANCE both = AfxFindResourceHandle(MAKEINTRESOURCE(7), RT_RCDATA);
    EXPECT_EQ(both, library);
    EXPECT_EQ(rcdata(both, 7).substr(0, 7), "library");
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(8), RT_RCDATA), program);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCE(9), RT_RCDATA), library);
    AfxSetResourceHandle(program);
    ::FreeLibrary(library);
}

TEST_F(Application, GdiWrappersOwnTheirHandle) {
    HINSTANCE library = ::LoadLibraryA("afxtestlib.dll");
    ASSERT_NE(library, nullptr);
    AfxSetResourceHandle(library);
    HBITMAP other = ::LoadBitmapA(library, MAKEINTRESOURCE(135));
    ASSERT_NE(other, nullptr);
    HBITMAP kept = NULL;
    {
        CBitmap bitmap;
        EXPECT_FALSE(bitmap.Attach(NULL));
        ASSERT_TRUE(bitmap.LoadBitmap(135)); // found through the resource handle
        HGDIOBJ first = bitmap.m_hObject;
        EXPECT_FALSE(bitmap.Attach(other)); // would lose the first one
        EXPECT_EQ(bitmap.m_hObject, first);
        BITMAP info{};
        EXPECT_NE(bitmap.GetBitmap(&info), 0);
        EXPECT_EQ(info.bmWidth, 2);
        EXPECT_EQ(info.bmHeight, 3);
        EXPECT_TRUE(bitmap.DeleteObject());
        EXPECT_EQ(bitmap.m_hObject, nullptr);
        EXPECT_EQ(::GetObjectType(first), 0u);
        EXPECT_FALSE(bitmap.DeleteObject());
        EXPECT_TRUE(bitmap.Attach(other));
        kept = other;
    }
    EXPECT_EQ(::GetObjectType(kept), 0u); // the destructor deleted it

    CBitmapButton button; // a missing picture fails the load but keeps the others
    EXPECT_FALSE(button.LoadBitmaps(135, 4711, 0, 135));
    EXPECT_NE(button.m_bitmap.m_hObject, nullptr);
    EXPECT_EQ(button.m_bitmapSel.m_hObject, nullptr);
    EXPECT_NE(button.m_bitmapDisabled.m_hObject, nullptr);
    AfxSetResourceHandle(::GetModuleHandleA(NULL));
    ::FreeLibrary(library);
}

} // namespace
