// The desktop shared by every process of one machine root: a table of all windows and a
// queue and a socket per process (see protocol.h). The window manager publishes its windows
// here; lookups of another process's windows and posts to them go through here.
//
// A process opens its desktop on first use and again when RADIODECK_ROOT changes. When the
// directory is not private to this user the desktop is refused: every function then acts
// as if no other process existed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One window as the desktop knows it.
struct DesktopWindow {
    HWND handle = nullptr;
    DWORD pid = 0;
    uint64_t start_time = 0; // with pid, names the owning process (see desktop_alive)
    DWORD thread_id = 0;
    HWND parent = nullptr; // children only
    HWND owner = nullptr;  // top-level windows only
    UINT id = 0;           // control id of a child
    DWORD style = 0;
    DWORD ex_style = 0;
    RECT rect{};    // screen coordinates for top-level windows, parent client for children
    uint64_t z = 0; // see desktop_wire::Slot::z
    std::optional<UINT> box_type; // a message box's MB_ type
    std::string class_name;
    std::string title; // at most 255 bytes
};

// The desktop directory of a machine root: $XDG_RUNTIME_DIR/radiodeck-<hash of the root's
// canonical path> when XDG_RUNTIME_DIR names a usable directory, else <root>/desktop.
std::filesystem::path desktop_directory_for(const std::filesystem::path& root);

// Whether the desktop of the current machine root is open and usable.
bool desktop_available();

// A fresh desktop-wide handle for a window of this process, whose slot already shows
// `initial` (a top-level window gets a z stamp on top of every other, written back), or null
// when the desktop is unusable or full (the caller then makes a handle of its own). One hold
// of the lock: a new window costs no more.
HWND desktop_allocate_handle(DesktopWindow& initial);
// Gives a handle back at once, for a window that never came to be.
void desktop_release(HWND hwnd);
// One flush of this process's window changes under one hold of the lock: writes the state of
// windows this process holds (others are ignored) and frees the slots of `released` windows,
// then wakes the watchers of the change file once.
void desktop_publish(const std::vector<DesktopWindow>& windows, const std::vector<HWND>& released);
// Whether a handle came from the current desktop to this process.
bool desktop_holds(HWND hwnd);
// A new z stamp: above (top) or below (bottom) every stamp given so far.
uint64_t desktop_z_stamp(bool top);

// A live window of any process, this one included.
std::optional<DesktopWindow> desktop_window(HWND hwnd);
// The live top-level windows, topmost first: the topmost band, then by stamp. Unverified,
// they are the table's as it stands, slots of processes that died included: a search that
// wants one window verifies only the one it found with desktop_alive.
std::vector<DesktopWindow> desktop_top_level(bool verified = true);
// Whether the owner of a window that a listing gave still runs; frees its slots if not.
bool desktop_alive(const DesktopWindow& window);
// The live children of a window, topmost first.
std::vector<DesktopWindow> desktop_children(HWND parent);

// Posts to another process's window. FALSE with ERROR_INVALID_WINDOW_HANDLE when the
// window or its process is gone, ERROR_NOT_ENOUGH_QUOTA when its queue stays full.
BOOL desktop_post(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// Posts to every top-level window of every other process of the desktop (children hear
// nothing), for PostMessageA(HWND_BROADCAST); the caller serves its own windows itself.
void desktop_broadcast_to_others(UINT msg, WPARAM wparam, LPARAM lparam);

// Moves the cursor of the process that owns a window (see desktop_wire::CursorDatagram);
// messages posted to it afterwards arrive after the move. Errors as desktop_post.
BOOL desktop_move_cursor(HWND hwnd, POINT screen);

// Asks the process that owns `hwnd` to act as its user would (see
// desktop_wire::ActionDatagram): choose the entry `item` of its open popup menu, close that
// menu, or click `hwnd`. Only sends: the receiver checks and acts on its own. Errors as
// desktop_post.
BOOL desktop_send_action(HWND hwnd, uint32_t action, uint32_t item = 0);

// What other processes send to this process's windows, handed up to the window manager,
// which registers itself here (the desktop knows nothing of windows beyond its table). The
// desktop has checked the entry's shape and that this process holds `target`.
class DesktopSink {
public:
    virtual ~DesktopSink() = default;
    // A message posted with desktop_post.
    virtual void posted(HWND target, UINT msg, WPARAM wparam, LPARAM lparam) = 0;
    // The cursor moved with desktop_move_cursor.
    virtual void cursor_moved(HWND target, POINT screen) = 0;
    // An action asked with desktop_send_action.
    virtual void action(HWND target, uint32_t action, uint32_t item) = 0;
    // How many more posts the thread's queue takes now; the rest wait in the desktop's.
    virtual size_t room() = 0;
};
// Where received posts go; without a sink they wait.
void desktop_set_sink(DesktopSink* sink);
// Hands what other processes have queued for this process to the sink, oldest first, as far
// as its room goes. The message queue calls it before every look and every post of its own,
// so that local and remote posts keep one order, that of their arrival; it costs no system
// call while nothing waits.
void desktop_take_posts();

// Wakes those who watch the change file, for shared state kept beside the window table
// (the tray's icons).
void desktop_signal_change();

// After a damaged window table or tray file was rebuilt, every process of the desktop (this
// one included) publishes again what it had there: this asks them to (desktop_wire::
// kRepublishWake), and each runs its republish hooks from its wait.
void desktop_announce_rebuild();
// What the window manager and the shell run then: publish every window, add every tray icon
// that is missing. A hook is added once.
void desktop_add_republish_hook(void (*hook)());

// One entry of an open popup menu as other processes see it (desktop_wire::MenuEntry).
struct DesktopMenuEntry {
    HWND window = nullptr; // the level's "#32768" window
    UINT id = 0;           // 0 for separators and submenu entries
    DWORD state = 0;       // desktop_wire::MenuEntryState bits
    RECT rect{};           // on the screen
    std::string text;
};
// Publishes this process's open popup menu, every shown level's entries; none removes it.
void desktop_publish_menu(const std::vector<DesktopMenuEntry>& entries);
// The entries of the open menu of the process that owns `level`, one of its "#32768" windows;
// none when it has no menu open or what it published does not check out.
std::vector<DesktopMenuEntry> desktop_menu_of(const DesktopWindow& level);
// The bytes of a menu record and back; no value for bytes that are not one whole record.
std::string serialize_menu(const std::vector<DesktopMenuEntry>& entries);
std::optional<std::vector<DesktopMenuEntry>> parse_menu(std::string_view bytes);

// For tools and tests: the file rewritten at every change of the table (watch it with
// inotify), and the socket of the process that owns a window.
std::optional<std::filesystem::path> desktop_change_file();
std::optional<std::filesystem::path> desktop_socket_of(HWND hwnd);

} // namespace platform
