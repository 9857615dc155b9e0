// What dovi answers before it opens a window.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "gui/commandline.h"

namespace dovi {
namespace {

struct Answer {
    std::optional<int> status;
    std::string out, err;
};

Answer answer(std::vector<std::string_view> args, DisplayEnvironment environment)
{
    std::ostringstream out, err;
    const auto status = answerBeforeWindow(args, environment, out, err);
    return {status, out.str(), err.str()};
}

const DisplayEnvironment kNoDisplay{};
const DisplayEnvironment kX11{":0", nullptr, nullptr};

TEST(CommandLine, HelpAndVersionAnswerWithOrWithoutADisplay)
{
    for (const DisplayEnvironment& environment : {kNoDisplay, kX11}) {
        const Answer help = answer({"--help"}, environment);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind("usage: dovi [--help | --version]\n", 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
        const Answer version = answer({"--version"}, environment);
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, std::string("dovi ") + DOVI_VERSION + "\n");
        EXPECT_EQ(version.err, "");
    }
    // The first of the two wins, wherever it stands.
    EXPECT_EQ(answer({"-style", "fusion", "--version", "--help"}, kX11).out, std::string("dovi ") + DOVI_VERSION + "\n");
}

TEST(CommandLine, NoDisplayIsOneSentenceAndStatusOne)
{
    for (const DisplayEnvironment& environment : {kNoDisplay, DisplayEnvironment{"", "", ""}}) {
        const Answer none = answer({}, environment);
        EXPECT_EQ(none.status, 1);
        EXPECT_EQ(none.out, "");
        EXPECT_NE(none.err.find("needs a graphical desktop session"), std::string::npos);
        EXPECT_EQ(none.err.find('\n'), none.err.size() - 1) << "one line";
    }
}

TEST(CommandLine, AnyDisplayOrChosenPlatformStartsTheCalendar)
{
    EXPECT_EQ(answer({}, kX11).status, std::nullopt);
    EXPECT_EQ(answer({}, {nullptr, "wayland-0", nullptr}).status, std::nullopt);
    EXPECT_EQ(answer({}, {nullptr, nullptr, "offscreen"}).status, std::nullopt);
    EXPECT_EQ(answer({"-platform", "offscreen"}, kNoDisplay).status, std::nullopt);
    // Other arguments change nothing.
    EXPECT_EQ(answer({"--verbose", "file.ini"}, kX11).status, std::nullopt);
    EXPECT_EQ(answer({"--verbose", "file.ini"}, kNoDisplay).status, 1);
}

struct Choice {
    std::optional<std::string> platform;
    std::string err;
};

Choice choice(DisplayEnvironment environment, DisplayReach reach, std::vector<std::string_view> args = {})
{
    std::ostringstream err;
    auto platform = choosePlatform(args, environment, reach, err);
    return {std::move(platform), err.str()};
}

// Where X answers it wins, for keep-above; a compositor alone gets the Wayland platform.
TEST(CommandLine, XFirstThenWayland)
{
    const DisplayEnvironment both{":0", "wayland-0", nullptr};
    EXPECT_EQ(choice(both, {true, true, true}).platform, "xcb");
    EXPECT_EQ(choice(both, {false, true, true}).platform, "wayland");
    EXPECT_EQ(choice({nullptr, "wayland-0", nullptr}, {false, true, true}).platform, "wayland");
    EXPECT_EQ(choice(kX11, {true, false, false}).platform, "xcb");
    // A platform the user chose is Qt's to start, unless it is one of the two and cannot start.
    EXPECT_EQ(choice({nullptr, nullptr, "offscreen"}, {}).platform, "");
    EXPECT_EQ(choice(both, {true, true, true}, {"-platform", "wayland"}).platform, "");
    EXPECT_EQ(choice({":0", nullptr, "xcb"}, {true, false, false}).platform, "");
}

// No display that can be used: one sentence that says why, never Qt's abort.
TEST(CommandLine, UnreachableDisplaysAreOneSentence)
{
    struct Case {
        DisplayEnvironment environment;
        DisplayReach reach;
        std::vector<std::string_view> args;
        const char* why;
    };
    for (const Case& c : {
             Case{{":9", nullptr, nullptr}, {}, {}, "no X display could be opened at DISPLAY=:9 and WAYLAND_DISPLAY is not set"},
             Case{{":9", "wayland-9", nullptr}, {false, false, true}, {},
                  "no X display could be opened at DISPLAY=:9 and no Wayland compositor answers at WAYLAND_DISPLAY=wayland-9"},
             Case{{nullptr, "wayland-9", nullptr}, {false, true, false}, {},
                  "DISPLAY is not set and Qt's Wayland platform for the compositor at WAYLAND_DISPLAY=wayland-9 is not "
                  "installed (package qt6-wayland)"},
             Case{{":9", "wayland-0", "xcb"}, {false, true, true}, {},
                  "QT_QPA_PLATFORM or -platform chooses xcb and no X display could be opened at DISPLAY=:9"},
             Case{{":0", nullptr, nullptr}, {true, false, false}, {"-platform", "wayland"},
                  "QT_QPA_PLATFORM or -platform chooses wayland and WAYLAND_DISPLAY is not set"},
             Case{{}, {}, {}, "neither DISPLAY nor WAYLAND_DISPLAY is set here"},
         }) {
        const Choice none = choice(c.environment, c.reach, c.args);
        EXPECT_EQ(none.platform, std::nullopt) << c.why;
        EXPECT_EQ(none.err, std::string("dovi: the day calendar needs a graphical desktop session, but ") + c.why +
                                " (dovi-cli page shows today's page in a terminal).\n");
    }
}

}  // namespace
}  // namespace dovi
