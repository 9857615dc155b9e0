// What `dovi` does before any window exists: answer --help and --version, and refuse to start
// where there is no graphical session, with one sentence instead of Qt's abort.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dovi {

// The environment variables that tell whether a window can be shown; nullptr when unset.
struct DisplayEnvironment {
    const char* display = nullptr;         // DISPLAY: an X server (XWayland included)
    const char* waylandDisplay = nullptr;  // WAYLAND_DISPLAY
    const char* qpaPlatform = nullptr;     // QT_QPA_PLATFORM: a platform the user chose (offscreen...)
};

// The display variables of this process.
DisplayEnvironment currentDisplayEnvironment();

// What a window program says for --help, for --version and without a display.
struct ProgramTexts {
    std::string_view name;       // "dovi"
    std::string_view help;       // the usage, ending in a line feed
    std::string_view noDisplay;  // one sentence, ending in a line feed
};
extern const ProgramTexts kCalendarProgram;  // dovi
extern const ProgramTexts kBookProgram;      // dovi-book

// Returns the exit status when the program is done before its window: 0 after printing the usage
// for --help or the version for --version on out (whichever comes first among args, argv[0]
// excluded), 1 after one sentence on err when no variable of environment names a display. Returns
// std::nullopt when the calendar should start; every other argument is left to Qt.
std::optional<int> answerBeforeWindow(std::span<const std::string_view> args, const DisplayEnvironment& environment,
                                      std::ostream& out, std::ostream& err,
                                      const ProgramTexts& program = kCalendarProgram);

// What dovi prints on standard error when the folder holds no usable settings file: the folder
// searched, and that the menu entry's launcher (dovi-launch) prepares the file; one line.
std::string startupFailureText(const std::filesystem::path& folder);

}  // namespace dovi
