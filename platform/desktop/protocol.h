// What the processes of one desktop share, byte for byte: the window table file that every
// process maps, and the datagram that carries a posted message to another process. Both
// are read from memory or sockets another process controls, so every value here is checked
// by the reader before it is used.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::desktop_wire {

// ---- The window table: <desktop>/table, a header followed by kSlotCount slots. ----
// Written only under an exclusive flock of <desktop>/lock, read under a shared one.

constexpr uint32_t kTableMagic = 0x54444452; // "RDDT"
constexpr uint32_t kTableVersion = 1;
constexpr uint32_t kSlotCount = 1024;
constexpr size_t kClassBytes = 64;  // class names are at most 63 characters
constexpr size_t kTitleBytes = 256; // titles beyond 255 bytes are truncated in the table

struct TableHeader {
    uint32_t magic;       // kTableMagic
    uint32_t version;     // kTableVersion
    uint32_t slot_count;  // kSlotCount
    uint32_t slot_size;   // sizeof(Slot)
    uint64_t z_top;       // last stamp given to a window raised to the top of its band
    uint64_t z_bottom;    // last stamp given to a window sent to the bottom (counts down)
    uint64_t changes;     // bumped at every change of any slot
    uint32_t next_slot;   // where the search for a free slot starts (delays reuse)
    uint32_t reserved[5]; // zero
};
static_assert(sizeof(TableHeader) == 64);

enum SlotState : uint32_t {
    kSlotFree = 0, // never used, or released; `generation` tells its last owner's handles
    kSlotUsed = 1, // holds a window of the process `pid`
};

struct Slot {
    uint32_t state;      // SlotState
    uint32_t generation; // bumped when the slot is released; part of the window handle
    int32_t pid;         // owner process
    uint32_t tid;        // owner thread (GetWindowThreadProcessId)
    uint64_t start_time; // owner's start time (/proc/PID/stat field 22): tells a reused pid
    uint32_t parent;     // parent window handle of a child, 0 for a top-level window
    uint32_t owner;      // owner window handle of a top-level window, else 0
    uint32_t id;         // control id of a child window
    uint32_t style;      // GWL_STYLE
    uint32_t ex_style;   // GWL_EXSTYLE; WS_EX_TOPMOST puts a window in the topmost band
    int32_t left;        // window rectangle: screen coordinates for a top-level window,
    int32_t top;         //   the parent's client coordinates for a child
    int32_t right;
    int32_t bottom;
    uint32_t box_type;            // a message box: kMessageBoxMark | its MB_ type; else zero
    uint64_t z;                   // top-level: z stamp, higher is nearer the top within its band;
                                  // child: position among its siblings, 0 is the top
    char class_name[kClassBytes]; // NUL-terminated
    char title[kTitleBytes];      // NUL-terminated, truncated at kTitleBytes - 1
};
static_assert(sizeof(Slot) == 392);
static_assert(offsetof(Slot, z) % 8 == 0);

// Marks a message box's box_type, so that MB_OK (0) is told from any other window.
constexpr uint32_t kMessageBoxMark = 0x80000000;

constexpr size_t kTableBytes = sizeof(TableHeader) + kSlotCount * sizeof(Slot);

// Window handles are desktop-wide: (generation & 0x7FFF) << 16 | slot << 1. The generation
// is never 0 in a handle, so a handle is at least 0x10000 and below 0x80000000 (module and
// GDI handles start at 0xA0000000); the low bit is clear (windows made without the desktop
// get odd handles). A stale handle of a reused slot differs in its generation.
constexpr uint32_t handle_of(uint32_t slot, uint32_t generation) {
    uint32_t g = generation & 0x7FFF;
    return (g == 0 ? 1 : g) << 16 | slot << 1;
}
constexpr uint32_t slot_of(uint32_t handle) {
    return (handle & 0xFFFF) >> 1;
}
constexpr bool is_table_handle(uint32_t handle) {
    return handle >= 0x10000 && handle < 0x80000000 && !(handle & 1) &&
           slot_of(handle) < kSlotCount;
}

// ---- A process's open popup menu: <desktop>/<pid>.<start_time>.menu ----
// What a user sees of the menu, for tools that read and answer it: a header and one entry per
// item of each shown level. Written whole (a new file renamed into place) before a level
// shows and at every change of its items, and removed when the menu closes; the levels
// themselves are the process's "#32768" windows in the table. Read only for such a window of
// a live process, and checked whole by the reader.

constexpr uint32_t kMenuMagic = 0x4D4D4452; // "RDMM"
constexpr uint32_t kMenuVersion = 1;
constexpr uint32_t kMaxMenuEntries = 1024;

struct MenuHeader {
    uint32_t magic;      // kMenuMagic
    uint32_t version;    // kMenuVersion
    uint32_t count;      // entries that follow, at most kMaxMenuEntries
    uint32_t entry_size; // sizeof(MenuEntry)
};
static_assert(sizeof(MenuHeader) == 16);

enum MenuEntryState : uint32_t {
    kMenuEntryChecked = 0x01,   // MF_CHECKED
    kMenuEntrySeparator = 0x02, // MF_SEPARATOR
    kMenuEntrySubmenu = 0x04,   // MF_POPUP: opens a submenu
    kMenuEntryDisabled = 0x08,  // MF_GRAYED or MF_DISABLED: cannot be chosen
    kMenuEntryGrayed = 0x10,    // MF_GRAYED: shown grey
};

struct MenuEntry {
    uint32_t window; // the level's "#32768" window handle
    uint32_t id;     // the command id; 0 for separators and submenu entries
    uint32_t state;  // MenuEntryState bits
    int32_t left;    // the entry's rectangle on the screen
    int32_t top;     //   (a level's entries go top to bottom in its order)
    int32_t right;
    int32_t bottom;
    char text[kTitleBytes]; // NUL-terminated; '&' marks the mnemonic as in the menu's item
};
static_assert(sizeof(MenuEntry) == 284);

// ---- A process's queue: <desktop>/<pid>.<start_time>.queue, and its socket beside it. ----
// What other processes post to a process waits in its queue file, a ring of kQueueCapacity
// entries that the owner maps: it holds Windows' default of 10,000 posted messages whatever
// the thread is doing, where the kernel keeps only 10 datagrams on a socket (max_dgram_qlen).
// A sender appends under an exclusive flock of the file, and a post to a full ring fails at
// once with ERROR_NOT_ENOUGH_QUOTA; then it sends any datagram to <desktop>/<pid>.<start_time>,
// the owner's socket, to wake its wait (a wake that finds the socket full is not needed: one
// is already pending). The owner takes entries in the order they were written, under the
// same lock, into its thread's one queue. Who may post is who may open the file: it is
// created 0600 in the private desktop directory, and a sender writes only to a file of its
// own user. The owner trusts nothing in the file: indices are taken modulo the capacity, a
// header that does not add up empties the ring, and each entry is checked as below.

constexpr uint32_t kQueueMagic = 0x51504452; // "RDPQ"
constexpr uint32_t kQueueVersion = 1;
constexpr uint32_t kQueueCapacity = 10000;
constexpr size_t kEntryBytes = 40; // a PostDatagram, CursorDatagram or ActionDatagram

struct QueueHeader {
    uint32_t magic;       // kQueueMagic
    uint32_t version;     // kQueueVersion
    uint32_t capacity;    // kQueueCapacity
    uint32_t entry_size;  // kEntryBytes
    uint64_t head;        // entries the owner has taken since the file was made
    uint64_t tail;        // entries senders have written; tail - head is what waits
    uint32_t reserved[8]; // zero
};
static_assert(sizeof(QueueHeader) == 64);

constexpr size_t kQueueBytes = sizeof(QueueHeader) + kQueueCapacity * kEntryBytes;

// ---- Publish again: a datagram of these four bytes on a process's socket. ----
// Sent to every process of the desktop by whoever rebuilt a damaged window table or tray
// file: what the processes had published there is gone, and each publishes its windows and
// tray icons again (a window keeps its handle where its slot is still free). Any process of
// the user may send it; its worst effect is a needless publish. Other datagrams only wake.
constexpr char kRepublishWake[4] = {'R', 'D', 'R', 'P'};

// ---- A posted message: one entry of the owner's queue. ----
// The owner drops an entry of another size, magic or version, one for a window that is not
// its own, and a message that another process may not post (below).
//
// What another process may post (platform/desktop/message_rules.h). The sender's PostMessageA
// refuses a system message whose parameters are pointers with ERROR_MESSAGE_SYNC_ONLY, as
// Windows does; the receiver drops it again, since a sender need not use PostMessageA:
//  - every message that carries pointers: WM_CREATE, WM_SETTEXT, WM_GETTEXT, WM_DRAWITEM,
//    WM_MEASUREITEM, WM_WINDOWPOSCHANGING/-CHANGED, WM_NOTIFY, WM_GETMINMAXINFO,
//    WM_NCCREATE, WM_NCCALCSIZE, WM_COPYDATA, the list, combo and edit messages with
//    strings or rectangles, and the rest of Windows' table;
//  - what only the window manager sends as a window lives: WM_DESTROY, WM_NCDESTROY,
//    WM_INITDIALOG (and WM_CREATE, WM_NCCREATE above), and WM_QUIT, which is the thread's
//    own state (PostQuitMessage), not a message another process may set;
//  - what draws with the sender's device context or region: WM_ERASEBKGND, WM_NCPAINT,
//    WM_CTLCOLOR* (MFC's 0x0019 too), WM_PRINT, WM_PRINTCLIENT.
// Everything else arrives, WM_TIMER included: DispatchMessageA calls a timer procedure only
// when the window's own thread gave it to SetTimer for that timer, so a posted lParam is
// never called. Messages from WM_USER up are the application's, as on Windows.

constexpr uint32_t kPostMagic = 0x4D504452; // "RDPM"
constexpr uint16_t kPostVersion = 1;

struct PostDatagram {
    uint32_t magic;      // kPostMagic
    uint16_t version;    // kPostVersion
    uint16_t size;       // sizeof(PostDatagram)
    uint32_t target;     // window handle of the receiver's window
    uint32_t message;    // the message number
    uint64_t wparam;     // WPARAM, as posted
    uint64_t lparam;     // LPARAM, as posted (a window handle stays valid: handles are
                         // desktop-wide)
    uint32_t sender_pid; // informational only: the kernel's credentials are what count
    uint32_t reserved;   // zero
};
static_assert(sizeof(PostDatagram) == kEntryBytes);

// ---- Where the cursor is: one entry of the same queue, before posted messages. ----
// The cursor is per process here. The shell sends this before it posts a tray icon's mouse
// messages to the icon's owner, so that the owner's GetCursorPos sees the icon's place when
// its callback runs (it opens the tray menu there). Entries are taken in the order written.
// Checked as a PostDatagram is (size, magic, version, a window of the receiver).

constexpr uint32_t kCursorMagic = 0x43504452; // "RDPC"
constexpr uint16_t kCursorVersion = 1;

struct CursorDatagram {
    uint32_t magic;   // kCursorMagic
    uint16_t version; // kCursorVersion
    uint16_t size;    // sizeof(CursorDatagram)
    uint32_t target;  // a window of the receiver (whose process's cursor moves)
    int32_t x;        // screen coordinates of the cursor
    int32_t y;
    uint32_t sender_pid;  // informational only
    uint32_t reserved[4]; // zero
};
// As large as a PostDatagram: every entry of the queue has one size.
static_assert(sizeof(CursorDatagram) == sizeof(PostDatagram));

// ---- A user's action: one entry of the same queue, done by the receiver as its user. ----
// Tools answer another process's popup menu and click its windows with this. The receiver
// acts through its own input path, as its user's mouse and keyboard would, so the window's
// own handling runs (a chosen menu entry arrives at the menu's owner as WM_COMMAND, a
// clicked button notifies its parent). The open popup menu is read from the window table:
// see platform/user/menu.h for how its entries are published there.
// Checked as a PostDatagram is (size, magic, version, a window of the
// receiver); an action of unknown kind is dropped.

constexpr uint32_t kActionMagic = 0x41504452; // "RDPA"
constexpr uint16_t kActionVersion = 1;

enum ActionKind : uint32_t {
    kActionChooseMenuItem = 1, // clicks the shown entry of the open popup menu with command `item`
    kActionCloseMenu = 2,      // presses Escape until the open popup menu is closed
    kActionClickWindow = 3,    // a left click (press and release) in the middle of `target`
};

struct ActionDatagram {
    uint32_t magic;       // kActionMagic
    uint16_t version;     // kActionVersion
    uint16_t size;        // sizeof(ActionDatagram)
    uint32_t target;      // a window of the receiver: the window clicked, or for the menu
                          // actions a "#32768" window of its open popup menu
    uint32_t action;      // ActionKind
    uint32_t item;        // kActionChooseMenuItem: the command id; otherwise zero
    uint32_t sender_pid;  // informational only
    uint32_t reserved[4]; // zero
};
static_assert(sizeof(ActionDatagram) == sizeof(PostDatagram));

} // namespace platform::desktop_wire
