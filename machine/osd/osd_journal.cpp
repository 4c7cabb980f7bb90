#include "machine/osd/osd_journal.h"

#include "platform/kernel/machine.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
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
    int fd = open(osd_journal_path().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ssize_t written;
    while ((written = write(fd, line.data(), line.size())) < 0 && errno == EINTR) {
    }
    close(fd);
    return written == static_cast<ssize_t>(line.size());
}

std::vector<OsdJournalEntry> read_osd_journal() {
    std::vector<OsdJournalEntry> entries;
    std::ifstream in(osd_journal_path());
    std::string line;
    while (std::getline(in, line)) {
        size_t space = line.find(' ');
        if (space == 0 || space == std::string::npos)
            continue;
        char* end = nullptr;
        long code = std::strtol(line.c_str(), &end, 10);
        if (end != line.c_str() + space || code < 0 || code > 0xFFFF)
            continue;
        entries.push_back({static_cast<int>(code), line.substr(space + 1)});
    }
    return entries;
}

} // namespace machine
