#pragma once
// Lines for systemd's journal. When standard error is the stream systemd connected to the journal
// (JOURNAL_STREAM names its device and inode), a line that starts with "<N>" is filed under the
// syslog priority N; anywhere else lines are written exactly as they always were.
//
// The prefix is used rather than libsystemd's sd_journal_send: no library for it, and the line
// keeps going where every other line on standard error goes, in one write and in order with
// them (a message that ends the program included).
#include <sys/types.h>

#include <string>

namespace tarn::platform {

enum class JournalPriority { Error = 3, Warning = 4, Notice = 5, Info = 6 };

// True when value ("device:inode", decimal) names the file with that device and inode.
bool JournalStreamNames(const char* value, dev_t device, ino_t inode);
// True when JOURNAL_STREAM names standard error; read on the first call.
bool StderrIsJournal();
// "<N>" for priority when standard error is the journal, else "".
std::string JournalPrefix(JournalPriority priority);

}  // namespace tarn::platform
