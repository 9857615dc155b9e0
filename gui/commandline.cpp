#include "gui/commandline.h"

#include <cstdlib>
#include <ostream>
#include <string>

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
    "the day calendar needs a graphical desktop session",
    "dovi-cli page shows today's page in a terminal"};

const ProgramTexts kBookProgram = {
    "dovi-book",
    "usage: dovi-book [--profile] [--help | --version]\n"
    "Edits the birthday book, the special days and the sayings of dovi.ini in the current\n"
    "folder in a window; \"dovi-launch --book\" starts it in your own data folder.\n"
    "With --profile it opens the profile window alone: name, birthday and sex.\n"
    "See dovi-book(1).\n",
    "the birthday book window needs a graphical desktop session",
    "dovi-cli list and its companions edit the same entries in a terminal"};

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
        err << program.name << ": " << program.needs << ", and neither DISPLAY nor WAYLAND_DISPLAY is set here ("
            << program.hint << ").\n";
        return 1;
    }
    return std::nullopt;
}

std::optional<std::string> choosePlatform(std::span<const std::string_view> args, const DisplayEnvironment& environment,
                                          const DisplayReach& reach, std::ostream& err, const ProgramTexts& program)
{
    // Qt's "-platform NAME" wins over QT_QPA_PLATFORM, as in Qt itself.
    std::string_view chosen = isSet(environment.qpaPlatform) ? environment.qpaPlatform : "";
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "-platform" || args[i] == "--platform")
            chosen = args[i + 1];
    const bool waylandUsable = reach.wayland && reach.waylandPlugin;
    const bool choseX11 = chosen == "xcb";
    const bool choseWayland = chosen.starts_with("wayland");
    if (!chosen.empty() && !(choseX11 && !reach.x11) && !(choseWayland && !waylandUsable))
        return std::string();
    if (chosen.empty() && reach.x11)
        return std::string("xcb");
    if (chosen.empty() && waylandUsable)
        return std::string("wayland");

    // Why no display can be used: what each variable names and what became of it.
    std::string why;
    if (!chosen.empty())
        why = "QT_QPA_PLATFORM or -platform chooses " + std::string(chosen) + " and ";
    const bool display = isSet(environment.display);
    const bool wayland = isSet(environment.waylandDisplay);
    if (!display && !wayland) {
        why += "neither DISPLAY nor WAYLAND_DISPLAY is set here";
    } else {
        if (!choseWayland)
            why += display ? "no X display could be opened at DISPLAY=" + std::string(environment.display)
                           : std::string("DISPLAY is not set");
        if (!choseX11) {
            if (!choseWayland)
                why += " and ";
            if (!wayland)
                why += "WAYLAND_DISPLAY is not set";
            else if (!reach.wayland)
                why += "no Wayland compositor answers at WAYLAND_DISPLAY=" + std::string(environment.waylandDisplay);
            else
                why += "Qt's Wayland platform for the compositor at WAYLAND_DISPLAY=" +
                       std::string(environment.waylandDisplay) + " is not installed (package qt6-wayland)";
        }
    }
    err << program.name << ": " << program.needs << ", but " << why << " (" << program.hint << ").\n";
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
