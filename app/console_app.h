// CConsoleApp: the application object. The whole run is the console dialog's modal loop.
#pragma once

#include <afxwin.h>

class CConsoleApp : public CWinApp {
public:
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
