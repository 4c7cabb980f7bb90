#include "machine/osd/osd_journal.h"

#include "platform/kernel/machine.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace machine {

namespace {

struct Announcement {
    int code;
    const char* text;
};

constexpr Announcement kAnnouncements[] = {
    {94, "Wireless LAN on"},
    {95, "Wireless LAN off"},
    {125, "Bluetooth on"},
    {126, "Bluetooth off"},
    {135, "Wireless LAN and Bluetooth on"},
    {136, "Wireless LAN and Bluetooth off"},
};

} // namespace

const char* osd_announcement(int code) {
    for (const Announcement& a : kAnnouncements)
        if (a.code == code)
            return a.text;
    return nullptr;
}

const std::vector<int>& osd_codes() {
    static const std::vector<int> codes = [] {
        std::vector<int> c;
        for (const Announcement& a : kAnnouncements)
            c.push_back(a.code);
        return c;
    }();
    return codes;
}

std::filesystem::path osd_journal_path() {
    return platform::machine_path("osd_journal.txt");
}

bool append_osd_journal(int code, const std::string& text) {
    std::string line = std::to_string(code) + " " + text + "\n";
    int fd = open(osd_journal_path().c_str(),
                  O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
    if (fd < 0)
        return false;
    // Writers take turns, so the look at the last byte and the append belong together.
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct stat st {};
    char last = '\n';
    if (fstat(fd, &st) == 0 && st.st_size > 0 && pread(fd, &last, 1, st.st_size - 1) == 1 &&
        last != '\n')
        line.insert(line.begin(), '\n');
    ssize_t written;
    while ((written = write(fd, line.data(), line.size())) < 0 && errno == EINTR) {
    }
    close(fd);
    return written == static_cast<ssize_t>(line.size());
}

namespace {

// Longer than any announcement with its code: longer lines are not the journal's.
constexpr size_t kMaxLine = 256;

void take_line(std::string_view line, const std::function<void(const OsdJournalEntry&)>& fn) {
    size_t space = line.find(' ');
    if (space == 0 || space == std::string_view::npos || space > 5)
        return;
    int code = 0;
    auto [end, error] = std::from_chars(line.data(), line.data() + space, code);
    if (error != std::errc() || end != line.data() + space || code < 0 || code > 0xFFFF)
        return;
    // Only what the display writes: a torn line that a later line end completed is not.
    std::string_view text = line.substr(space + 1);
    const char* known = osd_announcement(code);
    if (text != (known ? known : "unknown"))
        return;
    fn({code, std::string(text)});
}

} // namespace

void for_each_osd_journal_entry(const std::function<void(const OsdJournalEntry&)>& fn) {
    int fd = open(osd_journal_path().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return;
    }
    std::string line;
    bool too_long = false;
    char chunk[65536];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) != 0) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        std::string_view rest(chunk, static_cast<size_t>(n));
        for (size_t nl; (nl = rest.find('\n')) != std::string_view::npos;) {
            if (!too_long && line.size() + nl <= kMaxLine) {
                line.append(rest.substr(0, nl));
                take_line(line, fn);
            }
            line.clear();
            too_long = false;
            rest.remove_prefix(nl + 1);
        }
        // What is left waits for its line end; a line too long is dropped, not held.
        if (too_long || line.size() + rest.size() > kMaxLine) {
            too_long = true;
            line.clear();
        } else {
            line.append(rest);
        }
    }
    close(fd);
}

std::vector<OsdJournalEntry> read_osd_journal() {
    std::vector<OsdJournalEntry> entries;
    for_each_osd_journal_entry([&](const OsdJournalEntry& e) { entries.push_back(e); });
    return entries;
}

} // namespace machine
