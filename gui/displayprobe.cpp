// The real probes of the displays, before the application exists: one connection to the X server
// and one to the Wayland compositor, each closed at once, and a look for Qt's Wayland plugin.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLibraryInfo>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "gui/commandline.h"

namespace dovi {

namespace {

bool isSet(const char* value) { return value != nullptr && *value != '\0'; }

// Whether the X server of display accepts us, authorisation included, as Qt's xcb platform asks.
bool x11Answers(const char* display)
{
    if (!isSet(display))
        return false;
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

// Whether a compositor listens on the socket that WAYLAND_DISPLAY names: a full path, or a name in
// XDG_RUNTIME_DIR (as libwayland-client finds it).
bool waylandAnswers(const char* name)
{
    if (!isSet(name))
        return false;
    std::string path = name;
    if (path.front() != '/') {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (!isSet(runtime))
            return false;
        path = std::string(runtime) + "/" + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

bool waylandPluginInstalled()
{
    const std::filesystem::path platforms =
        std::filesystem::path(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString()) / "platforms";
    std::error_code ec;
    return std::filesystem::exists(platforms / "libqwayland-generic.so", ec) ||
           std::filesystem::exists(platforms / "libqwayland-egl.so", ec);
}

}  // namespace

DisplayReach probeDisplays(const DisplayEnvironment& environment)
{
    return {x11Answers(environment.display), waylandAnswers(environment.waylandDisplay), waylandPluginInstalled()};
}

bool chooseWindowPlatform(std::span<const std::string_view> args, std::ostream& err, const ProgramTexts& program)
{
    const DisplayEnvironment environment = currentDisplayEnvironment();
    const auto platform = choosePlatform(args, environment, probeDisplays(environment), err, program);
    if (!platform)
        return false;
    if (!platform->empty())
        ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
    return true;
}

}  // namespace dovi
