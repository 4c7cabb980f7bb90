// What the on-screen display announced, kept in the machine root so that tests and
// `notebookctl osd` can see it: osd_journal.txt, one line "<code> <text>" per command, oldest
// first. A code the display does not know is journalled with the text "unknown" and shown to
// nobody.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace machine {

struct OsdJournalEntry {
    int code = 0;
    std::string text;
};

// The announcement of a command id ("Wireless LAN and Bluetooth on" for 135); null for an id
// the display does not know.
const char* osd_announcement(int code);

// The command ids the display knows, which are also the ids of its window's controls.
const std::vector<int>& osd_codes();

std::filesystem::path osd_journal_path();

// Appends one line in a single write to a file opened with O_APPEND, so that the lines of two
// writers never mix; after a torn last line (a write cut short) it starts a line of its own.
// False when the file cannot be written.
bool append_osd_journal(int code, const std::string& text);

// Hands the journal's lines to `fn`, oldest first, holding one line at a time however long
// the journal is. A missing journal is empty; lines that the display did not write whole (not
// "<code> <its announcement or unknown>", or without a line end) are skipped.
void for_each_osd_journal_entry(const std::function<void(const OsdJournalEntry&)>& fn);

// All of them at once.
std::vector<OsdJournalEntry> read_osd_journal();

} // namespace machine
