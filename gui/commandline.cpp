#include "gui/commandline.h"

#include <cstdlib>
#include <ostream>

namespace dovi {

namespace {

bool isSet(const char* value) { return value != nullptr && *value != '\0'; }

}  // namespace

const ProgramTexts kCalendarProgram = {
    "dovi",
    "usage: dovi [--help | --version]\n"
    "Shows today's page of the Japanese day calendar in a small window. The program reads\n"
    "and writes dovi.ini in the current folder; dovi-launch starts it in your own data\n"
    "folder. See dovi(1).\n",
    "dovi: the day calendar needs a graphical desktop session, and neither DISPLAY nor "
    "WAYLAND_DISPLAY is set here (dovi-cli page shows today's page in a terminal).\n"};

const ProgramTexts kBookProgram = {
    "dovi-book",
    "usage: dovi-book [--profile] [--help | --version]\n"
    "Edits the birthday book, the special days and the sayings of dovi.ini in the current\n"
    "folder in a window; \"dovi-launch --book\" starts it in your own data folder.\n"
    "With --profile it opens the profile window alone: name, birthday and sex.\n"
    "See dovi-book(1).\n",
    "dovi-book: the birthday book window needs a graphical desktop session, and neither DISPLAY "
    "nor WAYLAND_DISPLAY is set here (dovi-cli list and its companions edit the same entries in a "
    "terminal).\n"};

DisplayEnvironment currentDisplayEnvironment()
{
    return {std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM")};
}

std::optional<int> answerBeforeWindow(std::span<const std::string_view> args, const DisplayEnvironment& environment,
                                      std::ostream& out, std::ostream& err, const ProgramTexts& program)
{
    for (const std::string_view arg : args) {
        if (arg == "--help") {
            out << program.help;
            return 0;
        }
        if (arg == "--version") {
            out << program.name << ' ' << DOVI_VERSION << '\n';
            return 0;
        }
    }
    // Qt's "-platform NAME" chooses a platform as QT_QPA_PLATFORM does; Qt itself then decides.
    for (const std::string_view arg : args)
        if (arg == "-platform" || arg == "--platform")
            return std::nullopt;
    if (!isSet(environment.display) && !isSet(environment.waylandDisplay) && !isSet(environment.qpaPlatform)) {
        err << program.noDisplay;
        return 1;
    }
    return std::nullopt;
}

std::string startupFailureText(const std::filesystem::path& folder)
{
    return "dovi: no usable dovi.ini (missing, unreadable or without the user entry) in the folder " +
           folder.string() +
           "; dovi reads the file in the current folder, and dovi-launch, which the menu entry runs, "
           "prepares it in your own data folder and starts dovi there.\n";
}

}  // namespace dovi
