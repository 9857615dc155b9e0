// Putting new bytes in place of the settings file so that it is always either the old or the new
// file, with the old file's owner, group, mode, ACL and extended attributes.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "settings/writeresult.h"

namespace dovi {

// Writes all of bytes to fd at offset (at the file's position when offset < 0), going on after
// short writes and interruptions; false with errno set when a write fails.
bool writeAll(int fd, std::string_view bytes, off_t offset = -1);

// The settings file as it is before a replacement: its status and its whole content.
struct PresentFile {
    struct stat status;
    std::string_view bytes;
};

// Puts bytes in place of target; call it under the update lock. old is the present file, or
// nullptr when there is none. On failure the file keeps its old content and the result says why.
//
// Normally the new file ".dovi.ini.new" is made beside target (mode 0600 from its creation, so
// nobody else can read it while it is written), written, flushed, given the old file's owner,
// group, mode, ACL and extended attributes, and renamed over target. When the new file cannot get
// all of these (the writer may not give it the owner or group, or an attribute cannot be set) or
// target has several hard links, target is rewritten in place instead, under a rollback journal:
// the old content is flushed to ".dovi.ini.journal" before the first byte of target changes, and
// the journal is removed once the new content is flushed. A crash in between leaves the journal,
// and the next access under the update lock puts the old content back (recoverJournal). A new
// file gets mode 0666 less the umask.
//
// Both names are fixed and used only under the update lock, so a writer removes what a killed
// one left, also in a folder it may not list; when that cannot be removed (an append-only folder)
// the write fails without making another. New files named as earlier versions named them
// (".dovi.ini.new-PID-N" of processes that no longer exist, and empty ones) are removed too.
WriteResult replaceFile(const std::filesystem::path& target, const std::string& bytes, const PresentFile* old);

// The fixed names beside target: ".dovi.ini.new" for the new file, ".dovi.ini.journal" for the
// journal of an in-place rewrite.
std::string newFileName(const std::filesystem::path& target);
std::string journalName(const std::filesystem::path& target);

// Whether a journal lies beside target: a rewrite in place runs or was cut off.
bool hasJournal(const std::filesystem::path& target);

// What recoverJournal found.
struct Recovery {
    bool found = false;     // a complete journal was there
    bool restored = false;  // its content was put back into target and the journal removed
    std::string bytes;      // the old content it holds, when found
};

// The old content that a complete journal beside target holds, or nullopt. Reads only.
std::optional<std::string> journalContentOf(const std::filesystem::path& target);

// Call under the update lock: when a complete journal lies beside target, writes its old content
// back over target, flushes it and removes the journal. A journal that is not complete (its
// writer was killed while writing it, before target changed) is removed. When target cannot be
// written, the journal stays and its content is handed back for reading.
Recovery recoverJournal(const std::filesystem::path& target);

}  // namespace dovi
