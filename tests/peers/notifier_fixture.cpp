#include "notifier_fixture.h"

namespace testing_support {

namespace {

class BareConsole : public CConsoleDlg {
protected:
    BOOL OnInitDialog() override { return CDialog::OnInitDialog(); }
};

} // namespace

void NotifierTest::SetUp() {
    MachineFixture::SetUp();
    g_hOsdWnd = NULL;
    g_hHotkeyServiceWnd = NULL;
    console_ = std::make_unique<BareConsole>();
    ASSERT_TRUE(console_->Create(IDD_CONSOLE));
    console_->m_bHasWlan = 1;
    console_->m_bHasBluetooth = 1;
    start_ = clock().now();
}

void NotifierTest::TearDown() {
    if (console_ && console_->m_hWnd)
        console_->DestroyWindow();
    console_.reset();
    g_hOsdWnd = NULL;
    g_hHotkeyServiceWnd = NULL;
    MachineFixture::TearDown();
}

} // namespace testing_support
