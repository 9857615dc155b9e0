// page, holidays, header, add-birthday and add-special: the day page and the dated entries of the
// settings file from the command line. Output is UTF-8.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "calendar/calendar.h"
#include "calendar/clock.h"
#include "calendar/dateheader.h"
#include "cli/commands.h"
#include "cli/textout.h"
#include "book/bookedit.h"
#include "page/daypage.h"
#include "page/pagelabels.h"
#include "register/startup.h"
#include "settings/inifile.h"
#include "settings/settingsfile.h"
#include "texts/texts.h"

namespace dovi::cli {

namespace {

bool allDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// An unsigned decimal number of exactly text.size() digits, or std::nullopt.
template <typename Number>
std::optional<Number> parseDigits(std::string_view text)
{
    Number value{};
    if (!allDigits(text))
        return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "YYYY-MM-DD HH:MM:SS" naming a real day of the years 1 to 9999 and a real time of day.
std::optional<LocalDateTime> parseMoment(std::string_view text)
{
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':'
        || text[16] != ':')
        return std::nullopt;
    const auto year = parseDigits<int>(text.substr(0, 4));
    const auto month = parseDigits<unsigned>(text.substr(5, 2));
    const auto day = parseDigits<unsigned>(text.substr(8, 2));
    const auto hour = parseDigits<int>(text.substr(11, 2));
    const auto minute = parseDigits<int>(text.substr(14, 2));
    const auto second = parseDigits<int>(text.substr(17, 2));
    if (!year || !month || !day || !hour || !minute || !second || *year < 1 || *hour > 23 || *minute > 59
        || *second > 59)
        return std::nullopt;
    const Date date = std::chrono::year{*year} / std::chrono::month{*month} / std::chrono::day{*day};
    if (!date.ok())
        return std::nullopt;
    return LocalDateTime{date, *hour, *minute, *second};
}

std::string colorText(std::uint32_t color)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(color));
    return text;
}

std::string isoDate(Date date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

// The date header as a person reads it: the era line, then the day of the month with its weekday.
std::vector<std::string> headerLines(const DateHeader& header)
{
    return {header.eraLine, header.day + "  " + header.weekdayLine};
}

// The page as a person reads it, one item a line: the date header, the holiday if the page marks
// one, the greeting, every message the line rotates through, the saying and its source.
std::vector<std::string> pageLines(const DateHeader& header, const PageLabels& page)
{
    std::vector<std::string> lines = headerLines(header);
    if (!page.label8.empty())
        lines.push_back(page.label8);
    lines.push_back(page.label5);
    for (int i = 0; i < page.msgCount; ++i)
        lines.push_back(page.msgList[static_cast<std::size_t>(i)]);
    if (!page.label6.empty())
        lines.push_back(page.label6);
    if (!page.label7.empty())
        lines.push_back("―― " + page.label7);  // the source, set off as an attribution
    return lines;
}

// Every line of text output for people goes through here.
void printLines(std::ostream& out, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        out << line << '\n';
}

// The page as the window shows it right after the build, before the ticker's first tick.
nlohmann::ordered_json pageJson(const DateHeader& header, const PageLabels& page)
{
    nlohmann::ordered_json json;
    json["caption"] = header.caption;
    json["Label1"] = header.eraLine;
    json["Label2"] = header.day;
    json["Label3"] = header.weekdayLine;
    json["Label4"] = page.label4;
    json["Label5"] = page.label5;
    json["Label6"] = page.label6;
    json["Label7"] = page.label7;
    json["Label8"] = page.label8;
    json["Label2Color"] = header.dayColor ? nlohmann::ordered_json(colorText(*header.dayColor)) : nullptr;
    json["Shape1"] = page.shape1;
    json["msgList"] = nlohmann::ordered_json::array();
    for (int i = 0; i < page.msgCount; ++i)
        json["msgList"].push_back(page.msgList[static_cast<std::size_t>(i)]);
    json["msgCount"] = page.msgCount;
    return json;
}

// Reads "--at MOMENT" at args[i]; false with a usage error already reported when it is bad.
bool readAt(Context& context, std::string_view command, std::size_t& i, std::optional<LocalDateTime>& at,
            int& status)
{
    if (i + 1 >= context.args.size() || !(at = parseMoment(context.args[i + 1]))) {
        status = usageError(context, command, "--at needs a real local time as \"YYYY-MM-DD HH:MM:SS\"");
        return false;
    }
    ++i;
    return true;
}

// Builds the page for the local time given (default: now) as the window does at start-up: the
// start-up decision on the user entry, the date header, then the whole build with its writes.
int page(Context& context)
{
    std::optional<LocalDateTime> at;
    std::optional<std::uint64_t> seed;
    bool json = false;
    int status = kOk;
    for (std::size_t i = 0; i < context.args.size(); ++i) {
        const std::string& arg = context.args[i];
        if (arg == "--at") {
            if (!readAt(context, "page", i, at, status))
                return status;
        } else if (arg == "--seed") {
            if (i + 1 >= context.args.size() || !(seed = parseDigits<std::uint64_t>(context.args[i + 1])))
                return usageError(context, "page", "--seed needs a whole number from 0 to 18446744073709551615");
            ++i;
        } else if (arg == "--json") {
            json = true;
        } else {
            return usageError(context, "page", "unknown argument '" + arg + "'");
        }
    }

    SettingsFile settings(context.ini);
    BookSnapshot snapshot = BookSnapshot::read(settings);
    switch (decideStartup(snapshot.profile().user)) {
    case Startup::Broken:
        adviseMissingFile(context);
        return kBrokenFile;
    case Startup::Register:
        context.err << "dovi-cli: no user is registered yet in " << context.ini.string()
                    << "; the calendar asks for one at its first start, or register one with\n"
                       "dovi-cli register NAME YYYY/MM/DD 男性|女性|その他\n";
        return kNotRegistered;
    case Startup::Run:
        break;
    }

    SystemClock systemClock;
    FixedClock fixedClock(at.value_or(LocalDateTime{}));
    Clock& clock = at ? static_cast<Clock&>(fixedClock) : systemClock;
    const DateHeader header = makeDateHeader(clock.now().date);
    StandardRandom random(seed);
    const PageLabels built = pageLabels(buildDayPage(settings, std::move(snapshot), readPageMoment(clock), random));

    if (json)
        rawStream(context.out) << pageJson(header, built).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                    << '\n';
    else
        printLines(context.out, pageLines(header, built));
    return kOk;
}

// Every day of the years FROM to TO (inclusive; TO defaults to FROM) on which the page shows a
// holiday, in date order, with the name it shows.
int holidays(Context& context)
{
    if (context.args.empty() || context.args.size() > 2)
        return usageError(context, "holidays", "holidays needs a year, or a first and a last year");
    const auto from = parseYear(context.args[0], 1, 9999, false);
    const auto to = context.args.size() == 2 ? parseYear(context.args[1], 1, 9999, false) : from;
    if (!from || !to)
        return usageError(context, "holidays", "a year must be a whole number from 1 to 9999");
    if (*to < *from)
        return usageError(context, "holidays", "the last year comes before the first");
    std::error_code ec;
    if (!std::filesystem::exists(context.ini, ec))
        context.err << "dovi-cli: " << context.ini.string()
                    << " does not exist; only the computed holidays are shown\n";

    SettingsFile settings(context.ini);
    const BookSnapshot snapshot = BookSnapshot::read(settings);
    for (int year = *from; year <= *to; ++year)
        for (const auto& [date, shown] : holidaysOfYear(snapshot, year))
            context.out << isoDate(date) << '\t' << column(shown.name) << '\n';
    return kOk;
}

// The date header alone; it needs no settings file.
int header(Context& context)
{
    std::optional<LocalDateTime> at;
    int status = kOk;
    for (std::size_t i = 0; i < context.args.size(); ++i) {
        if (context.args[i] == "--at") {
            if (!readAt(context, "header", i, at, status))
                return status;
        } else {
            return usageError(context, "header", "unknown argument '" + context.args[i] + "'");
        }
    }
    SystemClock systemClock;
    printLines(context.out, headerLines(makeDateHeader(at ? at->date : systemClock.now().date)));
    return kOk;
}

// Stores value under the first free letter of the day in section and prints the key. The scan and
// the write run under the update lock, so two writers cannot take the same letter.
int addEntry(Context& context, std::string_view command, Book book, std::string_view day,
             std::string_view value)
{
    const auto monthDay = parseDateKey(day);
    if (!monthDay)
        return usageError(context, command, "the day must be MM/DD with two digits each, naming a real day");
    if (readsAsAbsent(value))
        return usageError(context, command, "an entry that reads as \"0\" would count as no entry");

    SettingsFile settings(context.ini);
    std::string key;
    const WriteResult result = addBookEntry(settings, book, day, value, &key);
    if (!result.ok) {
        context.err << "dovi-cli: " << result.error << '\n';
        return kFailed;
    }
    context.out << key << '\n';
    return kOk;
}

int addBirthday(Context& context)
{
    if (context.args.size() != 2 && context.args.size() != 3)
        return usageError(context, "add-birthday", "add-birthday needs a day and a name, and may have a year");
    std::optional<int> year;
    if (context.args.size() == 3) {
        year = parseYear(context.args[2], 0, 9999, true);
        if (!year)
            return usageError(context, "add-birthday", "the year of birth must have four digits");
        if (const std::string problem = birthYearProblem(*year); !problem.empty())
            return usageError(context, "add-birthday", problem);
    }
    // A name with ":" or "," would be cut there on the page.
    std::string value;
    if (const WriteResult refused = birthdayValue(context.args[1], year, value); !refused.ok) {
        context.err << "dovi-cli: " << refused.error << '\n';
        return kFailed;
    }
    return addEntry(context, "add-birthday", Book::Birthdays, context.args[0], value);
}

int addSpecial(Context& context)
{
    if (context.args.size() != 2)
        return usageError(context, "add-special", "add-special needs a day and a text");
    return addEntry(context, "add-special", Book::SpecialDays, context.args[0], context.args[1]);
}

constexpr Command kCommands[] = {
    {"page", "[--at \"YYYY-MM-DD HH:MM:SS\"] [--seed N] [--json]", page},
    {"holidays", "FROM [TO]", holidays},
    {"header", "[--at \"YYYY-MM-DD HH:MM:SS\"]", header},
    {"add-birthday", "MM/DD NAME [YEAR]", addBirthday},
    {"add-special", "MM/DD TEXT", addSpecial},
};

}  // namespace

std::span<const Command> pageCommands() { return kCommands; }

}  // namespace dovi::cli
