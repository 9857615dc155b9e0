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

}  // namespace
}  // namespace dovi
