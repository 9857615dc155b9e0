// Writing an export (the iCalendar file) to a file the user names, so that the file is always the
// old or the new export and never the settings file itself.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dovi::cli {

// Puts bytes in place of target as a whole: a temporary file beside it (mode 0600 while it is
// written), flushed, given target's mode (or 0666 less the umask for a new file), then renamed
// over it. "" when done; otherwise one sentence naming target and the reason, and target is as it
// was. Refused: a target that is the settings file settingsFile (the same file by any name), one
// that is not a regular file, and a symbolic link of another user than this one and root.
std::string writeExportFile(const std::filesystem::path& target, std::string_view bytes,
                            const std::filesystem::path& settingsFile);

}  // namespace dovi::cli
