// Shared pieces of the framework tests: a fixture that leaves no framework state behind, and
// a dialog that runs test steps from inside its own modal loop.
#pragma once

#include "tests/support/machine_fixture.h"

#include <afxwin.h>

#include <functional>
#include <vector>

namespace afx_test {

class AfxFixture : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        AfxGetModuleState()->m_hCurrentInstanceHandle = ::GetModuleHandleA(NULL);
        AfxGetModuleState()->m_hCurrentResourceHandle = ::GetModuleHandleA(NULL);
    }
    void TearDown() override {
        CWnd::DeleteTempMap();
        MSG msg; // a main window that ended leaves WM_QUIT behind
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        }
        MachineFixture::TearDown();
    }
};

// Runs each step on its own timer tick inside DoModal, so every step finds the loop idle and
// the dialog fully set up. After the last step the dialog ends with kScriptDone.
class CScriptDlg : public CDialog {
public:
    static constexpr int kScriptDone = 77;
    static constexpr UINT_PTR kScriptTimer = 0x5C;

    explicit CScriptDlg(UINT nIDTemplate) : CDialog(nIDTemplate) {}
    void step(std::function<void()> f) { steps_.push_back(std::move(f)); }

    BOOL OnInitDialog() override {
        BOOL result = CDialog::OnInitDialog();
        ++init_count;
        hwnd_seen = m_hWnd;
        SetTimer(kScriptTimer, 10, NULL);
        return result;
    }

    int init_count = 0;
    HWND hwnd_seen = NULL;

protected:
    afx_msg void OnTimer(UINT nIDEvent) {
        if (nIDEvent != kScriptTimer) {
            CDialog::OnTimer(nIDEvent);
            return;
        }
        if (next_ < steps_.size()) {
            steps_[next_++]();
            return;
        }
        KillTimer(kScriptTimer);
        EndDialog(kScriptDone);
    }
    DECLARE_MESSAGE_MAP()

private:
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
};

} // namespace afx_test
