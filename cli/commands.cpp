#include "cli/commands.h"

#include "calendar/clock.h"
#include "register/registration.h"
#include "settings/settingsfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <vector>

#include "cli/textout.h"

namespace dovi::cli {

namespace {

std::vector<Command> allCommands()
{
    std::vector<Command> commands;
    for (auto group : {settingsCommands(), pageCommands(), bookCommands(), koyomiCommands(), registerCommands()})
        commands.insert(commands.end(), group.begin(), group.end());
    return commands;
}

// One usage line: the command's name and, when it takes any, its arguments after one blank.
void printCommandUsage(std::ostream& stream, const Command& command)
{
    stream << "dovi-cli [--ini PATH] " << command.name;
    if (!command.usage.empty())
        stream << ' ' << command.usage;
    stream << '\n';
}

void printUsage(std::ostream& stream)
{
    stream << "usage: dovi-cli [--ini PATH] COMMAND [ARGS]\n";
    for (const Command& command : allCommands()) {
        stream << "  ";
        printCommandUsage(stream, command);
    }
}

// The answer to --help: the usage, what --ini means and the exit codes.
void printHelp(std::ostream& out)
{
    printUsage(out);
    out << "  dovi-cli --help | --version\n"
           "Reads and changes the day calendar's settings file (by default dovi.ini in the current\n"
           "folder) and shows its page and holidays, and the 暦 of any day from 1900 to 2100. Exit status: 0 done, 1 a write failed, 2 bad usage,\n"
           "3 the settings file cannot be read or it or its user entry is missing, 4 no user is registered\n"
           "yet.\n"
           "ENTRY: a day's entry by its letter a to z, or by its text (a person's name without the year);\n"
           "a single letter always means the letter. SAYING: a saying by its number or its text.\n"
           "See dovi-cli(1) for each command.\n";
}

}  // namespace

std::optional<int> parseYear(std::string_view text, int first, int last, bool fourDigits)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos ||
        (fourDigits && text.size() != 4))
        return std::nullopt;
    const std::size_t leadingZeros = std::min(text.find_first_not_of('0'), text.size());
    if (text.size() - leadingZeros > 5)  // more than any year, and more than an int may hold
        return std::nullopt;
    int year = 0;
    for (const char digit : text)
        year = year * 10 + (digit - '0');
    if (year < first || year > last)
        return std::nullopt;
    return year;
}

std::string birthYearProblem(int year)
{
    const int thisYear = int(SystemClock().now().date.year());
    if (isPossibleBirthYear(year, thisYear))
        return {};
    return "the year of birth must lie from 1 to this year (" + std::to_string(thisYear) +
           "); a later year would give a negative age";
}

int usageError(Context& context, std::string_view command, std::string_view message)
{
    context.err << "dovi-cli: " << message << '\n';
    for (const Command& c : allCommands())
        if (c.name == command) {
            context.err << "usage: ";
            printCommandUsage(context.err, c);
        }
    return kUsage;
}

namespace {

// Finds the command in argv and runs it with out and err.
int runCommand(std::span<const std::string> argv, std::ostream& out, std::ostream& err)
{
    std::filesystem::path ini = SettingsFile::pathIn({});
    std::size_t next = 1;
    if (next < argv.size() && argv[next] == "--ini") {
        if (next + 1 >= argv.size() || argv[next + 1].empty()) {
            err << "dovi-cli: --ini needs a path\n";
            printUsage(err);
            return kUsage;
        }
        ini = argv[next + 1];
        next += 2;
    }
    if (next >= argv.size()) {
        err << "dovi-cli: no command given\n";
        printUsage(err);
        return kUsage;
    }
    const std::string& name = argv[next];
    if (name == "--help") {
        printHelp(out);
        return kOk;
    }
    if (name == "--version") {
        out << "dovi-cli " << DOVI_VERSION << '\n';
        return kOk;
    }
    for (const Command& command : allCommands()) {
        if (command.name == name) {
            // A file that is there but cannot be read is never taken for an empty one: the
            // command would print nothing, or write an empty export, and report success.
            const bool readsTheFile = name != "header" && name != "koyomi" &&
                                      !(name == "export-ics" && next + 1 < argv.size() && argv[next + 1] == "--koyomi");
            if (readsTheFile) {
                if (const WriteResult problem = SettingsFile(ini).readProblem(); !problem.ok) {
                    err << "dovi-cli: " << problem.error << '\n';
                    return kBrokenFile;
                }
            }
            Context context{ini, argv.subspan(next + 1), out, err};
            return command.run(context);
        }
    }
    err << "dovi-cli: unknown command '" << name << "'\n";
    printUsage(err);
    return kUsage;
}

}  // namespace

int run(std::span<const std::string> argv, std::ostream& out, std::ostream& err)
{
    // Text goes out with its control characters escaped, so a stored value cannot drive the
    // terminal; JSON, which escapes them itself, goes through the raw partner (rawStream).
    OutputBuffer plain(out.rdbuf(), false);
    std::ostream raw(&plain);
    OutputBuffer escaping(out.rdbuf(), true);
    escaping.raw = &raw;
    std::ostream text(&escaping);
    // Messages quote what was given and what is stored: escaped too, TABs included.
    OutputBuffer escapingErrors(err.rdbuf(), true, true);
    std::ostream errors(&escapingErrors);
    const int code = runCommand(argv, text, errors);
    text.flush();
    raw.flush();
    errors.flush();
    // Output that did not get out (a full disk, a closed pipe) is a failure, also after a command
    // that did its work.
    const int error = escaping.error() ? escaping.error() : plain.error();
    if (error == 0 && text && raw)
        return code;
    err << "dovi-cli: write error: " << std::strerror(error ? error : EIO) << '\n';
    return code != kOk ? code : kFailed;
}

}  // namespace dovi::cli
