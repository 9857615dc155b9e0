// What the window programs do before any window exists: answer --help and --version, choose the
// display to open, and refuse to start where none can be used, with one sentence instead of Qt's
// abort.
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
    std::string_view name;   // "dovi"
    std::string_view help;   // the usage, ending in a line feed
    std::string_view needs;  // "the day calendar needs a graphical desktop session"
    std::string_view hint;   // what to use in a terminal instead
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

// Which of the displays that the environment names answer, found out before the application
// exists (probeDisplays), so that a display that is named but gone never reaches Qt, which aborts.
struct DisplayReach {
    bool x11 = false;            // an X server (XWayland included) accepted a connection at DISPLAY
    bool wayland = false;        // a Wayland compositor accepted a connection at WAYLAND_DISPLAY
    bool waylandPlugin = false;  // Qt's Wayland platform plugin (package qt6-wayland) is installed
};

// Connects to the X server of DISPLAY and to the Wayland compositor of WAYLAND_DISPLAY (under
// XDG_RUNTIME_DIR unless it is a full path), and looks for Qt's Wayland plugin.
DisplayReach probeDisplays(const DisplayEnvironment& environment);

// The platform the windows start on. X11 first, as an X server or XWayland keeps the window above
// the others and places it, which a Wayland compositor does not: "xcb" when the X server answers,
// else "wayland" when a compositor answers and Qt's plugin for it is installed. "" when the user
// chose a platform (QT_QPA_PLATFORM, -platform) that Qt can start, or one other than these two,
// which Qt then handles itself. std::nullopt after one sentence on err when no display can be used.
std::optional<std::string> choosePlatform(std::span<const std::string_view> args, const DisplayEnvironment& environment,
                                          const DisplayReach& reach, std::ostream& err,
                                          const ProgramTexts& program = kCalendarProgram);

// Before the application exists: probes the displays of this process, sets QT_QPA_PLATFORM to the
// chosen platform and returns true; false after one sentence on err when none can be used.
bool chooseWindowPlatform(std::span<const std::string_view> args, std::ostream& err,
                          const ProgramTexts& program = kCalendarProgram);

// What dovi prints on standard error when the folder holds no usable settings file: the folder
// searched, and that the menu entry's launcher (dovi-launch) prepares the file; one line.
std::string startupFailureText(const std::filesystem::path& folder);

}  // namespace dovi
