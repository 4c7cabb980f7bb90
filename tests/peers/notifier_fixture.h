// A console window for the notifiers: the dialog with its controls bound, none of the
// program's start-up run, both radios present, no peer found yet, on virtual time.
#pragma once

#include "app/console_dlg.h"
#include "tests/peers/peer_window.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/ui_script.h"

#include <memory>

namespace testing_support {

class NotifierTest : public MachineFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    CConsoleDlg& console() { return *console_; }
    // Virtual time since the test began.
    platform::Millis elapsed() { return clock().now() - start_; }
    void restart_stopwatch() { start_ = clock().now(); }

    UiScript ui;

private:
    std::unique_ptr<CConsoleDlg> console_;
    platform::Millis start_ = 0;
};

} // namespace testing_support
