#include "rfkill_standin.h"

#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace testing_support {

RfkillStandIn::RfkillStandIn(const std::filesystem::path& socket_path, bool extended)
    : path_(socket_path), extended_(extended) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path_.native().size() >= sizeof address.sun_path)
        throw std::runtime_error("rfkill stand-in path too long");
    std::strcpy(address.sun_path, path_.c_str());
    listener_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    stop_ = eventfd(0, EFD_CLOEXEC);
    if (listener_ < 0 || stop_ < 0 ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0 ||
        listen(listener_, 16) < 0)
        throw std::runtime_error("rfkill stand-in cannot listen");
    setenv("RADIODECK_TEST_RFKILL", path_.c_str(), 1);
    thread_ = std::thread([this] { serve(); });
}

RfkillStandIn::~RfkillStandIn() {
    uint64_t one = 1;
    if (write(stop_, &one, sizeof one) != sizeof one)
        std::abort();
    thread_.join();
    for (int fd : clients_)
        close(fd);
    close(listener_);
    close(stop_);
    unsetenv("RADIODECK_TEST_RFKILL");
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

std::string RfkillStandIn::record(uint32_t idx, uint8_t op, const Radio& radio) const {
    rfkill_event_ext e{};
    e.idx = idx;
    e.type = radio.type;
    e.op = op;
    e.soft = radio.soft;
    e.hard = radio.hard;
    e.hard_block_reasons = radio.hard_reasons;
    return std::string(reinterpret_cast<const char*>(&e),
                       extended_ ? sizeof e : size_t(RFKILL_EVENT_SIZE_V1));
}

void RfkillStandIn::send_all(const std::string& bytes) {
    for (int fd : clients_)
        send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void RfkillStandIn::add(uint32_t idx, Radio radio) {
    std::lock_guard lock(mutex_);
    radios_[idx] = radio;
    send_all(record(idx, RFKILL_OP_ADD, radio));
}

void RfkillStandIn::change(uint32_t idx, Radio radio) {
    std::lock_guard lock(mutex_);
    radios_[idx] = radio;
    send_all(record(idx, RFKILL_OP_CHANGE, radio));
}

void RfkillStandIn::remove(uint32_t idx) {
    std::lock_guard lock(mutex_);
    Radio radio = radios_[idx];
    radios_.erase(idx);
    send_all(record(idx, RFKILL_OP_DEL, radio));
}

void RfkillStandIn::send_raw(const std::string& bytes) {
    std::lock_guard lock(mutex_);
    send_all(bytes);
}

std::map<uint32_t, RfkillStandIn::Radio> RfkillStandIn::radios() const {
    std::lock_guard lock(mutex_);
    return radios_;
}

std::vector<rfkill_event> RfkillStandIn::written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

int RfkillStandIn::connections() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(clients_.size());
}

bool RfkillStandIn::wait_until(const std::function<bool()>& done,
                               std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] {
        lock.unlock();
        bool result = done();
        lock.lock();
        return result;
    });
}

// A written record as the kernel takes it: one radio's or every radio's of a type soft block.
void RfkillStandIn::take(const rfkill_event& event) {
    written_.push_back(event);
    for (auto& [idx, radio] : radios_) {
        bool named = event.op == RFKILL_OP_CHANGE ? idx == event.idx
                     : event.op == RFKILL_OP_CHANGE_ALL
                         ? event.type == RFKILL_TYPE_ALL || event.type == radio.type
                         : false;
        if (named && radio.soft != (event.soft != 0)) {
            radio.soft = event.soft != 0;
            send_all(record(idx, RFKILL_OP_CHANGE, radio));
        }
    }
}

void RfkillStandIn::serve() {
    for (;;) {
        std::vector<pollfd> fds = {{stop_, POLLIN, 0}, {listener_, POLLIN, 0}};
        {
            std::lock_guard lock(mutex_);
            for (int fd : clients_)
                fds.push_back({fd, POLLIN, 0});
        }
        if (poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents)
            return;
        std::lock_guard lock(mutex_);
        if (fds[1].revents & POLLIN) {
            int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                for (const auto& [idx, radio] : radios_) {
                    std::string add = record(idx, RFKILL_OP_ADD, radio);
                    send(fd, add.data(), add.size(), MSG_NOSIGNAL);
                }
                send(fd, "", 0, MSG_NOSIGNAL); // the end of what was there at the open
                clients_.push_back(fd);
            }
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents)
                continue;
            char bytes[64];
            ssize_t n = recv(fds[i].fd, bytes, sizeof bytes, MSG_DONTWAIT);
            if (n >= ssize_t(RFKILL_EVENT_SIZE_V1)) {
                rfkill_event event;
                std::memcpy(&event, bytes, sizeof event);
                take(event);
            } else if (n == 0 || (n < 0 && errno != EAGAIN)) {
                close(fds[i].fd);
                std::erase(clients_, fds[i].fd);
            }
        }
        changed_.notify_all();
    }
}

} // namespace testing_support
