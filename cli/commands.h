// dovi-cli: the settings file and the day page from the command line.
// Exit codes: 0 done; 1 a write failed, an entry could not be stored or the output could not be
// written; 2 bad usage;
// 3 the settings file cannot be read, or it or its user entry is missing; 4 no user is registered yet.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dovi::cli {

inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;
inline constexpr int kBrokenFile = 3;
inline constexpr int kNotRegistered = 4;

struct Context {
    std::filesystem::path ini;           // --ini PATH, or dovi.ini in the current directory
    std::span<const std::string> args;   // the command's own arguments, after its name
    std::ostream& out;
    std::ostream& err;
};

struct Command {
    std::string_view name;
    std::string_view usage;  // the arguments, for the usage text
    int (*run)(Context&);
};

// Writes "dovi-cli: <message>" and the command's usage to err; returns kUsage.
int usageError(Context& context, std::string_view command, std::string_view message);

// "" when year is a possible year of birth today (from 1 to this year), else the sentence that
// says so, naming this year.
std::string birthYearProblem(int year);

// A year given on the command line: ASCII digits only (no sign, blank or full-width digit), from
// first to last; with fourDigits exactly four of them, so "0075" is a year and "75" or "01975" is
// not; without, any number of digits ("02000" is 2000).
std::optional<int> parseYear(std::string_view text, int first, int last, bool fourDigits);

// The commands of each group; the table in commands.cpp joins them.
std::span<const Command> settingsCommands();
std::span<const Command> pageCommands();
std::span<const Command> bookCommands();
std::span<const Command> koyomiCommands();
std::span<const Command> registerCommands();

// Says on err that the settings file is missing or has no user entry, and where the calendar keeps
// its file (the data folder that dovi-launch fills), for exit code kBrokenFile.
void adviseMissingFile(Context& context);

// Runs dovi-cli with argv (argv[0] is the program's name). Text output has its control characters
// escaped (escapeControls in cli/textout.h); output that cannot be written or flushed gives exit
// code 1 and "dovi-cli: write error: <reason>" on err.
int run(std::span<const std::string> argv, std::ostream& out, std::ostream& err);

}  // namespace dovi::cli
