// The machine's resume reaches the program as Windows reports it: a fake system bus in a
// temporary directory plays logind and sends PrepareForSleep; the process's top-level
// windows, and only they, receive WM_POWERBROADCAST(PBT_APMRESUMESUSPEND).
#include "platform/kernel/wait.h"
#include "platform/power/resume_watch.h"
#include "tests/support/machine_fixture.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kRule = "type='signal',interface='org.freedesktop.login1.Manager',"
                          "member='PrepareForSleep',path='/org/freedesktop/login1'";

// An independent little-endian encoder of the signals logind sends.
class Encoder {
public:
    Bytes b;
    void pad(size_t to) { b.resize((b.size() + to - 1) / to * to, 0); }
    void u32(uint32_t v) {
        pad(4);
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void str(const std::string& s, bool short_length = false) {
        if (short_length)
            b.push_back(static_cast<uint8_t>(s.size()));
        else
            u32(static_cast<uint32_t>(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        b.push_back(0);
    }
    void field(uint8_t code, char type, const std::string& value) {
        pad(8);
        b.push_back(code);
        str(std::string(1, type), true);
        str(value, type == 'g');
    }
    void set_u32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
};

Bytes prepare_for_sleep(bool going_to_sleep, uint32_t serial = 5) {
    Encoder e;
    e.b = {'l', 4, 1, 1};
    e.u32(4);
    e.u32(serial);
    e.u32(0);
    e.field(1, 'o', "/org/freedesktop/login1");
    e.field(2, 's', "org.freedesktop.login1.Manager");
    e.field(3, 's', "PrepareForSleep");
    e.field(7, 's', ":1.3");
    e.field(8, 'g', "b");
    e.set_u32(12, static_cast<uint32_t>(e.b.size() - 16));
    e.pad(8);
    e.u32(going_to_sleep ? 1 : 0);
    return e.b;
}

uint32_t le32(const Bytes& b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}

// Receives once, waiting at most a few seconds; empty on end of stream or timeout.
Bytes receive(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 5000) != 1)
        return {};
    uint8_t chunk[4096];
    ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    return n > 0 ? Bytes(chunk, chunk + n) : Bytes{};
}

// A system bus at unix:path=<temporary>/bus that accepts one client on a thread of its own.
class FakeBus {
public:
    explicit FakeBus(const std::filesystem::path& dir) : path_(dir / "bus") {
        listen_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path_.c_str(), sizeof addr.sun_path - 1);
        EXPECT_EQ(bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        EXPECT_EQ(listen(listen_fd_, 1), 0);
    }
    ~FakeBus() {
        if (thread_.joinable())
            thread_.join();
        for (int fd : {listen_fd_, conn_fd_})
            if (fd >= 0)
                close(fd);
    }

    // Serves the handshake: answers the AUTH line with `answer`, then, when accepted,
    // reads the client's BEGIN and its two calls.
    void serve(std::string answer) {
        thread_ = std::thread([this, answer] {
            pollfd p{listen_fd_, POLLIN, 0};
            if (poll(&p, 1, 5000) != 1)
                return;
            conn_fd_ = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
            std::string line;
            while (line.find("\r\n") == std::string::npos) {
                Bytes got = receive(conn_fd_);
                if (got.empty())
                    return;
                line.append(got.begin(), got.end());
            }
            auth_ = line;
            send(conn_fd_, answer.data(), answer.size(), MSG_NOSIGNAL);
            if (!answer.starts_with("OK"))
                return;
            while (!complete_calls()) {
                Bytes got = receive(conn_fd_);
                if (got.empty())
                    return;
                calls_.insert(calls_.end(), got.begin(), got.end());
            }
        });
    }

    // After the handshake: what the client sent, and the connection for the test's thread.
    void join() { thread_.join(); }
    const std::string& auth() const { return auth_; }
    const Bytes& calls() const { return calls_; }
    void send_bytes(const Bytes& b) {
        ASSERT_EQ(send(conn_fd_, b.data(), b.size(), MSG_NOSIGNAL), ssize_t(b.size()));
    }
    // Whether the client has closed its end.
    bool client_closed() {
        pollfd p{conn_fd_, POLLIN, 0};
        uint8_t byte;
        return poll(&p, 1, 5000) == 1 && recv(conn_fd_, &byte, 1, MSG_DONTWAIT) == 0;
    }

    // The framing of the calls as the wire format gives it: sizes of the messages after
    // "BEGIN\r\n", or nothing while incomplete.
    std::vector<size_t> call_sizes() const {
        std::vector<size_t> sizes;
        size_t at = 7;
        while (calls_.size() >= at + 16) {
            size_t fields_end = at + 16 + le32(calls_, at + 12);
            size_t end = at + (fields_end - at + 7) / 8 * 8 + le32(calls_, at + 4);
            if (end > calls_.size())
                break;
            sizes.push_back(end - at);
            at = end;
        }
        return sizes;
    }

private:
    bool complete_calls() const { return call_sizes().size() >= 2; }

    std::filesystem::path path_;
    int listen_fd_ = -1;
    int conn_fd_ = -1;
    std::thread thread_;
    std::string auth_;
    Bytes calls_;
};

class ResumeTest : public testing_support::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (dir_.path() / "bus").string()).c_str(),
               1);
    }
    void TearDown() override {
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        MachineFixture::TearDown();
    }

    HWND window(HWND parent = nullptr) {
        return CreateWindowExA(0, "Static", "", parent ? WS_CHILD : WS_POPUP, 0, 0, 10, 10, parent,
                               nullptr, nullptr, nullptr);
    }

    // Lets every descriptor that is ready be served, then collects the resume messages.
    std::vector<HWND> resumes() {
        while (platform::wait_events(clock().now() + 1)) {
        }
        std::vector<HWND> out;
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_POWERBROADCAST) {
                EXPECT_EQ(m.wParam, WPARAM{PBT_APMRESUMESUSPEND});
                EXPECT_EQ(m.lParam, 0);
                out.push_back(m.hwnd);
            }
        }
        return out;
    }

    testing_support::TempDir dir_;
};

TEST_F(ResumeTest, ResumeReachesTopLevelWindowsOnly) {
    FakeBus bus(dir_.path());
    bus.serve("OK 0123456789abcdef0123456789abcdef\r\n");
    HWND top = window();
    HWND child = window(top);
    HWND second = window();
    ASSERT_TRUE(top && child && second);
    bus.join();

    std::string uid = std::to_string(getuid()), hex;
    for (char c : uid)
        hex += "3" + std::string(1, c);
    EXPECT_EQ(bus.auth(), std::string("\0AUTH EXTERNAL ", 15) + hex + "\r\n");
    const Bytes& calls = bus.calls();
    ASSERT_GE(calls.size(), 7u);
    EXPECT_EQ(std::string(calls.begin(), calls.begin() + 7), "BEGIN\r\n");
    auto sizes = bus.call_sizes();
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(7 + sizes[0] + sizes[1], calls.size());
    std::string text(calls.begin(), calls.end());
    EXPECT_NE(text.find("Hello"), std::string::npos);
    // The AddMatch body: the rule as one string, length first.
    size_t rule_at = text.find(kRule);
    ASSERT_NE(rule_at, std::string::npos);
    EXPECT_EQ(le32(calls, rule_at - 4), kRule.size());
    EXPECT_EQ(rule_at + kRule.size() + 1, calls.size());
    ASSERT_TRUE(platform::resume_watch_connected());

    // Going to sleep is nothing; waking up is one message at each top-level window, even
    // when it arrives in pieces.
    bus.send_bytes(prepare_for_sleep(true));
    EXPECT_TRUE(resumes().empty());
    Bytes wake = prepare_for_sleep(false, 6);
    bus.send_bytes(Bytes(wake.begin(), wake.begin() + 20));
    EXPECT_TRUE(resumes().empty());
    bus.send_bytes(Bytes(wake.begin() + 20, wake.end()));
    auto got = resumes();
    std::sort(got.begin(), got.end());
    std::vector<HWND> want = {top, second};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    EXPECT_TRUE(platform::resume_watch_connected());
}

TEST_F(ResumeTest, MalformedMessageDropsTheConnection) {
    FakeBus bus(dir_.path());
    bus.serve("OK 0123456789abcdef0123456789abcdef\r\n");
    ASSERT_TRUE(window());
    bus.join();
    ASSERT_TRUE(platform::resume_watch_connected());

    // The MEMBER string claims more bytes than its header-field array holds; a sound
    // resume signal follows in the same write and must not be believed.
    Bytes bad = prepare_for_sleep(false);
    size_t member = std::string(bad.begin(), bad.end()).find("PrepareForSleep");
    bad[member - 4] = 0xf0;
    Bytes both = bad;
    Bytes good = prepare_for_sleep(false, 7);
    both.insert(both.end(), good.begin(), good.end());
    bus.send_bytes(both);
    EXPECT_TRUE(resumes().empty());
    EXPECT_FALSE(platform::resume_watch_connected());
    EXPECT_TRUE(bus.client_closed());
}

TEST_F(ResumeTest, OversizedMessageDropsTheConnection) {
    FakeBus bus(dir_.path());
    bus.serve("OK 0123456789abcdef0123456789abcdef\r\n");
    ASSERT_TRUE(window());
    bus.join();
    Bytes huge = prepare_for_sleep(false);
    huge[4] = 0;
    huge[5] = 0;
    huge[6] = 0;
    huge[7] = 0x40; // a body of 1 GiB
    bus.send_bytes(huge);
    EXPECT_TRUE(resumes().empty());
    EXPECT_FALSE(platform::resume_watch_connected());
    EXPECT_TRUE(bus.client_closed());
}

TEST_F(ResumeTest, WithoutABusWindowsStillWork) {
    // Nothing listens at the address: no connection, nothing left waiting.
    HWND top = window();
    ASSERT_TRUE(top);
    EXPECT_FALSE(platform::resume_watch_connected());
    EXPECT_TRUE(PostMessageA(top, WM_APP, 1, 2));
    MSG m;
    ASSERT_TRUE(GetMessageA(&m, top, 0, 0));
    EXPECT_EQ(m.message, UINT{WM_APP});
}

TEST_F(ResumeTest, RefusedAuthenticationIsGivenUp) {
    FakeBus bus(dir_.path());
    bus.serve("REJECTED EXTERNAL\r\n");
    ASSERT_TRUE(window());
    bus.join();
    EXPECT_FALSE(platform::resume_watch_connected());
    EXPECT_TRUE(bus.client_closed());
    EXPECT_TRUE(resumes().empty());
}

} // namespace
