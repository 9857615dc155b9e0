// Putting new bytes in place of the settings file so that it is always either the old or the new
// file, with the old file's owner, group, mode, ACL and extended attributes.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "settings/writeresult.h"

namespace dovi {

// The settings file as it is before a replacement: its status and its whole content.
struct PresentFile {
    struct stat status;
    std::string_view bytes;
};

// Puts bytes in place of target; call it under the update lock. old is the present file, or
// nullptr when there is none. On failure the file keeps its old content and the result says why.
//
// Normally a new file is made beside target (mode 0600 from its creation, so nobody else can read
// it while it is written), written, flushed, given the old file's owner, group, mode, ACL and
// extended attributes, and renamed over target. When the new file cannot get all of these (the
// writer may not give it the owner or group, or an attribute cannot be set) or target has several
// hard links, target is rewritten in place instead, with a complete copy of its old content kept
// beside it (".dovi.ini.backup-PID-N", mode 0600) until the new content is flushed; a crash then
// leaves the old content in the copy. A new file gets mode 0666 less the umask.
//
// New files that earlier writers left behind (those of processes that no longer exist, and empty
// ones, which a refused write leaves where it cannot remove its new file) are removed first; when
// one cannot be removed (a folder where files cannot be removed), the write fails without making
// another one.
WriteResult replaceFile(const std::filesystem::path& target, const std::string& bytes, const PresentFile* old);

// The prefix of the names of new files for target: ".dovi.ini.new-", then the writer's process
// number, "-" and a counter.
std::string newFilePrefix(const std::filesystem::path& target);

}  // namespace dovi
