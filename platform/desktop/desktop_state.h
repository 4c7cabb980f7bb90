// The process's open desktop: the mapped window table, its lock and change files and the
// process's socket. Private to platform/desktop.
#pragma once

#include "desktop.h"
#include "protocol.h"
#include "queue_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_set>

namespace platform::desktop_detail {

// The start time of a process (clock ticks after boot), 0 when there is no such process.
uint64_t process_start_time(int pid);
// Whether the process that took a slot still runs (and is not a later one with its pid).
bool process_alive(int pid, uint64_t start_time);
// The names of a process's socket and queue file in the desktop directory.
std::string socket_name(int pid, uint64_t start_time);
std::string queue_name(int pid, uint64_t start_time);
// Creates the desktop directory when missing; false (said once on stderr) when it is not
// a directory private to this user.
bool prepare_directory(const std::filesystem::path& dir);

class Desktop {
public:
    // The open desktop of the current machine root, opened on first use; null when refused.
    static Desktop* current();

    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    const std::filesystem::path& directory() const { return dir_; }

    // Shared or exclusive hold of the table for the lifetime of the object.
    class Lock {
    public:
        Lock(Desktop& d, bool exclusive);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        int fd_;
    };

    desktop_wire::TableHeader& header() { return *header_; }
    desktop_wire::Slot& slot(uint32_t index) { return slots_[index]; }
    // The slot a handle names while that window exists (state and generation match).
    desktop_wire::Slot* slot_of(HWND hwnd);
    // Marks a change for those who watch the change file; under the exclusive lock.
    void changed();
    // Frees a slot (bumping its generation); under the exclusive lock.
    void free_slot(uint32_t index);
    // Frees every slot of a dead process and removes its socket; takes the lock itself.
    void reclaim_process(int pid, uint64_t start_time);

    std::unordered_set<uint32_t>& held() { return held_; }
    int own_pid() const { return pid_; }
    uint64_t own_start() const { return start_; }

    // The process's queue and receiving socket, made on the first window.
    void ensure_socket();
    // A socket to send wake-ups from (unbound, never blocking).
    int send_socket();
    // Moves what other processes queued into the thread's queue, as far as it has room.
    void take_posts();
    // Takes nothing more: the queue is about to close.
    void stop_receiving();
    // Gives back the slots this process holds (unless at exit in a forked child) and closes.
    void close(bool at_exit);

private:
    Desktop() = default;
    bool open(const std::filesystem::path& dir);
    bool table_sound() const;
    void rebuild_table();
    void drain_socket();

    std::filesystem::path dir_;
    int lock_fd_ = -1;
    int table_fd_ = -1;
    int change_fd_ = -1;
    int recv_fd_ = -1;
    int send_fd_ = -1;
    int watch_ = -1;
    OwnQueue queue_;
    bool taking_ = false;
    void* map_ = nullptr;
    desktop_wire::TableHeader* header_ = nullptr;
    desktop_wire::Slot* slots_ = nullptr;
    std::unordered_set<uint32_t> held_;
    int pid_ = 0;
    uint64_t start_ = 0;

    friend struct DesktopHolder;
};

// Takes the free slot of a window this process holds again, after a rebuild of the table;
// under the exclusive lock. Null when another window has the slot now.
desktop_wire::Slot* retake(Desktop& d, HWND hwnd);
// Asks every process of the desktop to publish again (desktop_wire::kRepublishWake).
void announce_rebuild(Desktop& d);
// Runs the republish hooks: a request to publish again arrived.
void run_republish_hooks();

// A snapshot of a live slot as a DesktopWindow.
DesktopWindow window_of(const desktop_wire::Slot& s, uint32_t index);

} // namespace platform::desktop_detail
